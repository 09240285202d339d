#include "settings/SettingsFile.h"

#include <algorithm>
#include <array>
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
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

std::string_view Trim(std::string_view text) {
    text = TrimStart(text);
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Names are compared a character at a time, so lower case comes from a table.
constexpr std::array<char, 256> kLower = [] {
    std::array<char, 256> table{};
    for (int c = 0; c < 256; ++c) {
        table[static_cast<size_t>(c)] = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    return table;
}();

char Lower(char c) {
    return kLower[static_cast<unsigned char>(c)];
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    if (a == b) {
        return true;  // mostly, spelled the same way too: one comparison of the whole
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
    if (equals == std::string_view::npos) {
        return false;
    }
    const std::string_view key = Trim(text.substr(0, equals));
    if (key.empty()) {
        return false;
    }
    *name = key;
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

CSettingsFile::CSettingsFile(std::string filePath)
    : CSettingsFile(filePath, ReadWholeFile(filePath)) {}

CSettingsFile::CSettingsFile(std::string filePath, std::string content)
    : path(std::move(filePath)), readBytes(std::move(content)) {
    encoding = DecodeText(readBytes, &text);
    if (encoding == kUtf16Le || encoding == kUtf16Be) {
        readUtf16Text = text;
    }
    // Room for every line and header, and for the ones a write adds (at most a blank line,
    // a header and the entry): a header starts with a '['.
    lines.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1 + 3);
    headers.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '[')) + 1);
    size_t start = 0;
    while (start < text.size()) {
        const size_t newline = text.find('\n', start);
        Line line;
        line.at = start;
        if (newline == std::string::npos) {
            line.size = text.size() - start;
        } else {
            const bool crlf = newline > start && text[newline - 1] == '\r';
            line.size = (crlf ? newline - 1 : newline) - start;
            line.endingSize = crlf ? 2 : 1;
        }
        Parse(line);
        if (line.kind == Line::kHeader) {
            headers.push_back(lines.size());
        }
        lines.push_back(line);
        start = newline == std::string::npos ? text.size() : newline + 1;
    }
}

void CSettingsFile::Parse(Line& line) const {
    const std::string_view lineText = Text(line);
    std::string_view name;
    std::string_view value;
    line.valueAt = 0;
    line.valueSize = 0;
    if (ParseHeader(lineText, &name)) {
        line.kind = Line::kHeader;
    } else if (ParseEntry(lineText, &name, &value)) {
        line.kind = Line::kEntry;
        line.valueAt = static_cast<size_t>(value.data() - lineText.data());
        line.valueSize = value.size();
    } else {
        line.kind = Line::kOther;
        line.nameAt = 0;
        line.nameSize = 0;
        return;
    }
    line.nameAt = static_cast<size_t>(name.data() - lineText.data());
    line.nameSize = name.size();
}

std::string_view CSettingsFile::ReadText() const {
    if (encoding == kUtf16Le || encoding == kUtf16Be) {
        return readUtf16Text;
    }
    // A UTF-8 file's text is its bytes after the mark, when it has one.
    return std::string_view(readBytes).substr(MarkSize(encoding));
}

bool CSettingsFile::FindSection(std::string_view section, Range* range) const {
    for (size_t h = 0; h < headers.size(); ++h) {
        const Line& header = lines[headers[h]];
        if (header.nameSize == section.size() && SameName(Name(header), section)) {
            range->header = headers[h];
            range->end = h + 1 < headers.size() ? headers[h + 1] : lines.size();
            return true;
        }
    }
    return false;
}

size_t CSettingsFile::FindEntry(const Range& range, std::string_view entry) const {
    for (size_t i = range.header + 1; i < range.end; ++i) {
        const Line& line = lines[i];
        if (line.kind == Line::kEntry && line.nameSize == entry.size() &&
            SameName(Name(line), entry)) {
            return i;
        }
    }
    return lines.size();
}

std::string_view CSettingsFile::Find(std::string_view section, std::string_view entry,
                                     std::string_view def) const {
    Range range;
    if (FindSection(section, &range)) {
        const size_t at = FindEntry(range, entry);
        if (at < lines.size()) {
            return Value(lines[at]);
        }
    }
    return def;
}

std::string CSettingsFile::GetString(std::string_view section, std::string_view entry,
                                     std::string_view def) const {
    return std::string(Find(section, entry, def));
}

int CSettingsFile::GetInt(std::string_view section, std::string_view entry, int def) const {
    const std::string_view value = Find(section, entry, "");
    return value.empty() ? def : ParseInt(value);
}

std::vector<std::string> CSettingsFile::EntryNames(std::string_view section) const {
    std::vector<std::string> names;
    EntryNames(section, &names);
    return names;
}

void CSettingsFile::EntryNames(std::string_view section, std::vector<std::string>* names) const {
    names->clear();
    Range range;
    if (!FindSection(section, &range)) {
        return;
    }
    for (size_t i = range.header + 1; i < range.end; ++i) {
        if (lines[i].kind == Line::kEntry) {
            names->emplace_back(Name(lines[i]));
        }
    }
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
        if (!lines.empty() && !Trim(Text(lines.back())).empty()) {
            InsertLine(lines.size(), "");
        }
        InsertLine(lines.size(), "[" + std::string(section) + "]");
        InsertLine(lines.size(), std::string(entry) + "=" + std::string(value));
        return 1;
    }
    const size_t at = FindEntry(range, entry);
    if (at < lines.size()) {
        // Keep the name as the file spells it; the line stays an entry.
        Line& line = lines[at];
        const std::string lineText = std::string(Name(line)) + "=" + std::string(value);
        Splice(line.at, line.size, lineText, at + 1);
        line.size = lineText.size();
        Parse(line);
        return 1;
    }
    // After the section's last non-blank line, so blank lines before the next header stay.
    size_t last = range.end - 1;
    while (last > range.header && Trim(Text(lines[last])).empty()) {
        --last;
    }
    InsertLine(last + 1, std::string(entry) + "=" + std::string(value));
    return 1;
}

std::string_view CSettingsFile::NewLineEnding() const {
    for (const Line& line : lines) {
        if (line.endingSize != 0) {
            return line.endingSize == 2 ? "\r\n" : "\n";
        }
    }
    return "\n";
}

void CSettingsFile::InsertLine(size_t at, std::string_view lineText) {
    const std::string_view ending = NewLineEnding();
    if (at > 0 && lines[at - 1].endingSize == 0) {
        // A last line that ends in a bare CR would lose it into a CRLF ending when read
        // again; an ending of its own keeps it part of the text.
        Line& last = lines[at - 1];
        const std::string_view lastText = Text(last);
        const std::string_view lastEnding =
            !lastText.empty() && lastText.back() == '\r' ? "\r\n" : ending;
        Splice(last.at + last.size, 0, lastEnding, at);
        last.endingSize = static_cast<unsigned char>(lastEnding.size());
    }
    Line line;
    line.at = at < lines.size() ? lines[at].at : text.size();
    line.size = lineText.size();
    line.endingSize = static_cast<unsigned char>(ending.size());
    Splice(line.at, 0, ending, at);
    Splice(line.at, 0, lineText, at);
    Parse(line);
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), line);
    auto next = std::lower_bound(headers.begin(), headers.end(), at);
    for (auto h = next; h != headers.end(); ++h) {
        ++*h;
    }
    if (line.kind == Line::kHeader) {
        headers.insert(next, at);
    }
}

void CSettingsFile::Splice(size_t from, size_t count, std::string_view replacement, size_t first) {
    text.replace(from, count, replacement);
    for (size_t i = first; i < lines.size(); ++i) {
        lines[i].at = lines[i].at + replacement.size() - count;
    }
}

std::string CSettingsFile::Content() const {
    return text == ReadText() ? readBytes : EncodeText(text, encoding);
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
