#include "settings/SettingsFile.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <utility>
#include <vector>

#include "files/AtomicFile.h"
#include "files/Utf8Path.h"
#include "settings/TextEncoding.h"

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimStart(std::string_view text) {
    size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) {
        ++first;
    }
    return text.substr(first);
}

std::string_view Trim(std::string_view text) {
    text = TrimStart(text);
    size_t end = text.size();
    while (end > 0 && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(0, end);
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i])) {
            return false;
        }
    }
    return true;
}

// A header is "[name]" after optional blanks; a missing ']' ends the name at the line end.
bool ParseHeader(std::string_view text, std::string_view* name) {
    text = TrimStart(text);
    if (text.empty() || text.front() != '[') {
        return false;
    }
    text.remove_prefix(1);
    *name = Trim(text.substr(0, text.find(']')));
    return true;
}

// An entry is "name=value"; comment lines start with ';'.
bool ParseEntry(std::string_view text, std::string_view* name, std::string_view* value) {
    text = Trim(text);
    if (text.empty() || text.front() == ';' || text.front() == '[') {
        return false;
    }
    const size_t equals = text.find('=');
    if (equals == std::string_view::npos || Trim(text.substr(0, equals)).empty()) {
        return false;
    }
    *name = Trim(text.substr(0, equals));
    *value = Trim(text.substr(equals + 1));
    if (value->size() >= 2 && (value->front() == '"' || value->front() == '\'') &&
        value->back() == value->front()) {
        *value = value->substr(1, value->size() - 2);
    }
    return true;
}

unsigned DigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return static_cast<unsigned>(c - '0');
    }
    c = Lower(c);
    return c >= 'a' && c <= 'z' ? static_cast<unsigned>(c - 'a' + 10) : 36;
}

// Integer parsing of the private-profile functions: the value wraps around modulo 2^32
// instead of failing on overflow.
int ParseInt(std::string_view text) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    unsigned base = 10;
    if (i + 1 < text.size() && text[i] == '0') {
        switch (Lower(text[i + 1])) {
            case 'x':
                base = 16;
                break;
            case 'o':
                base = 8;
                break;
            case 'b':
                base = 2;
                break;
        }
        i += base == 10 ? 0 : 2;
    }
    uint32_t value = 0;
    for (; i < text.size() && DigitValue(text[i]) < base; ++i) {
        value = value * base + DigitValue(text[i]);
    }
    return static_cast<int>(negative ? 0u - value : value);
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != text.npos;
}

}  // namespace

namespace {

std::string ReadWholeFile(const std::string& path) {
    // A missing file, or a pipe or device in its place, reads as an empty file.
    std::vector<unsigned char> bytes;
    ReadFileStart(path, std::numeric_limits<size_t>::max(), &bytes);
    return {bytes.begin(), bytes.end()};
}

}  // namespace

CSettingsFile::Line::Line(std::string lineText, std::string lineEnding)
    : text(std::move(lineText)), ending(std::move(lineEnding)) {
    std::string_view name;
    std::string_view value;
    if (ParseHeader(text, &name)) {
        kind = kHeader;
    } else if (ParseEntry(text, &name, &value)) {
        kind = kEntry;
        valueAt = static_cast<size_t>(value.data() - text.data());
        valueSize = value.size();
    } else {
        return;
    }
    nameAt = static_cast<size_t>(name.data() - text.data());
    nameSize = name.size();
}

CSettingsFile::CSettingsFile(std::string filePath)
    : CSettingsFile(filePath, ReadWholeFile(filePath)) {}

CSettingsFile::CSettingsFile(std::string filePath, std::string content)
    : path(std::move(filePath)), readBytes(std::move(content)) {
    encoding = DecodeText(readBytes, &readText);
    const std::string& text = readText;
    size_t lineCount = 1;
    for (size_t at = text.find('\n'); at != text.npos; at = text.find('\n', at + 1)) {
        ++lineCount;
    }
    lines.reserve(lineCount);
    size_t start = 0;
    while (start < text.size()) {
        const size_t newline = text.find('\n', start);
        if (newline == std::string::npos) {
            lines.emplace_back(text.substr(start), "");
            break;
        }
        const bool crlf = newline > start && text[newline - 1] == '\r';
        const size_t end = crlf ? newline - 1 : newline;
        lines.emplace_back(text.substr(start, end - start), crlf ? "\r\n" : "\n");
        start = newline + 1;
    }
}

bool CSettingsFile::FindSection(std::string_view section, Range* range) const {
    size_t i = 0;
    while (i < lines.size() &&
           !(lines[i].kind == Line::kHeader && SameName(lines[i].Name(), section))) {
        ++i;
    }
    if (i == lines.size()) {
        return false;
    }
    range->header = i;
    for (++i; i < lines.size() && lines[i].kind != Line::kHeader; ++i) {
    }
    range->end = i;
    return true;
}

size_t CSettingsFile::FindEntry(const Range& range, std::string_view entry) const {
    for (size_t i = range.header + 1; i < range.end; ++i) {
        if (lines[i].kind == Line::kEntry && SameName(lines[i].Name(), entry)) {
            return i;
        }
    }
    return lines.size();
}

std::string CSettingsFile::GetString(std::string_view section, std::string_view entry,
                                     std::string_view def) const {
    Range range;
    if (FindSection(section, &range)) {
        const size_t at = FindEntry(range, entry);
        if (at < lines.size()) {
            return std::string(lines[at].Value());
        }
    }
    return std::string(def);
}

int CSettingsFile::GetInt(std::string_view section, std::string_view entry, int def) const {
    const std::string value = GetString(section, entry, "");
    return value.empty() ? def : ParseInt(value);
}

std::vector<std::string> CSettingsFile::EntryNames(std::string_view section) const {
    std::vector<std::string> names;
    Range range;
    if (!FindSection(section, &range)) {
        return names;
    }
    for (size_t i = range.header + 1; i < range.end; ++i) {
        if (lines[i].kind == Line::kEntry) {
            names.emplace_back(lines[i].Name());
        }
    }
    return names;
}

int CSettingsFile::WriteString(std::string_view section, std::string_view entry,
                               std::string_view value) {
    const bool storable =
        !section.empty() && Trim(section) == section && section.find(']') == section.npos &&
        !HasLineBreak(section) && !entry.empty() && Trim(entry) == entry && entry.front() != ';' &&
        entry.front() != '[' && entry.find('=') == entry.npos && !HasLineBreak(entry) &&
        !HasLineBreak(value) && Carries(encoding, section) && Carries(encoding, entry) &&
        Carries(encoding, value);
    if (!storable) {
        return 0;
    }
    Range range;
    if (!FindSection(section, &range)) {
        if (!lines.empty() && !Trim(lines.back().text).empty()) {
            InsertLine(lines.size(), "");
        }
        InsertLine(lines.size(), "[" + std::string(section) + "]");
        InsertLine(lines.size(), std::string(entry) + "=" + std::string(value));
        return 1;
    }
    const size_t at = FindEntry(range, entry);
    if (at < lines.size()) {
        // Keep the name as the file spells it.
        std::string text = std::string(lines[at].Name()) + "=" + std::string(value);
        lines[at] = Line(std::move(text), lines[at].ending);
        return 1;
    }
    // After the section's last non-blank line, so blank lines before the next header stay.
    size_t last = range.end - 1;
    while (last > range.header && Trim(lines[last].text).empty()) {
        --last;
    }
    InsertLine(last + 1, std::string(entry) + "=" + std::string(value));
    return 1;
}

std::string CSettingsFile::NewLineEnding() const {
    for (const Line& line : lines) {
        if (!line.ending.empty()) {
            return line.ending;
        }
    }
    return "\n";
}

void CSettingsFile::InsertLine(size_t at, std::string text) {
    const std::string ending = NewLineEnding();
    if (at > 0 && lines[at - 1].ending.empty()) {
        // A last line that ends in a bare CR would lose it into a CRLF ending when read
        // again; an ending of its own keeps it part of the text.
        const std::string& last = lines[at - 1].text;
        lines[at - 1].ending = !last.empty() && last.back() == '\r' ? "\r\n" : ending;
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), Line(std::move(text), ending));
}

std::string CSettingsFile::Content() const {
    size_t size = 0;
    for (const Line& line : lines) {
        size += line.text.size() + line.ending.size();
    }
    std::string text;
    text.reserve(size);
    for (const Line& line : lines) {
        text += line.text;
        text += line.ending;
    }
    return text == readText ? readBytes : EncodeText(text, encoding);
}

int CSettingsFile::Save() const {
    const std::string content = Content();
    const std::filesystem::path folder = Utf8Path(path).parent_path();
    if (!folder.empty()) {
        std::error_code ignored;  // a failure shows in the write below
        std::filesystem::create_directories(folder, ignored);
    }
    return WriteFileAtomically(path, reinterpret_cast<const unsigned char*>(content.data()),
                               content.size())
               ? 1
               : 0;
}
