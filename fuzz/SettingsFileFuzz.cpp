// The settings file, hand-edited or damaged. The input is "file\0section\0entry\0value":
// the file's content up to the first zero byte, then the entry to write (the program's
// own save-on-exit entry when the input gives none). The file is read and looked up,
// saved unchanged, written to, saved and read back, all in memory; the first input of a
// run also goes through the file on disk each time it is saved.

#include <array>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzFolder.h"
#include "FuzzTarget.h"
#include "settings/SettingsFile.h"

namespace {

// The sections the program reads; the section written is looked up as well.
constexpr std::string_view kSections[] = {"Communication", "Parity", "Options", "PartNumbers",
                                          "Ports"};

// The next zero-terminated piece of input, or def when the input has ended.
std::string_view Take(std::string_view& input, std::string_view def) {
    if (input.empty()) {
        return def;
    }
    const size_t zero = input.find('\0');
    const std::string_view piece = input.substr(0, zero);
    input.remove_prefix(zero == input.npos ? input.size() : zero + 1);
    return piece;
}

bool SameName(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// The entry's value; found tells whether it is there at all. A value never holds a line
// break, so that default tells a missing entry from any value.
std::string Lookup(const CSettingsFile& file, std::string_view section, std::string_view entry,
                   bool* found) {
    std::string value = file.GetString(section, entry, "\n");
    *found = value != "\n";
    return value;
}

// What a section holds, as the program can see it: each entry's name and value in file
// order, every piece after its length, so that two views are equal exactly when their
// names and values are. The views are kept across inputs, and so is their room.
using SectionView = std::string;

void AddPiece(SectionView& view, std::string_view piece) {
    const size_t size = piece.size();
    view.append(reinterpret_cast<const char*>(&size), sizeof size).append(piece);
}

// The next piece of the view, taken off its front; false at its end.
bool TakePiece(std::string_view& view, std::string_view* piece) {
    size_t size = 0;
    if (view.size() < sizeof size) {
        return false;
    }
    std::memcpy(&size, view.data(), sizeof size);
    *piece = view.substr(sizeof size, size);
    view.remove_prefix(sizeof size + size);
    return true;
}

// Every value is also read as a number when asked to, as the program reads some.
void View(const CSettingsFile& file, std::string_view section, bool numbers, SectionView& view) {
    static std::vector<std::string> names;
    file.EntryNames(section, &names);
    view.clear();
    for (const std::string& name : names) {
        bool found = false;
        const std::string value = Lookup(file, section, name, &found);
        Require(found, "every listed entry has a value");
        if (numbers) {
            file.GetInt(section, name, 0);
        }
        AddPiece(view, name);
        AddPiece(view, value);
    }
}

// The sections the program reads, then the section written.
using Views = std::array<SectionView, std::size(kSections) + 1>;

void ViewAll(const CSettingsFile& file, std::string_view written, Views& views,
             bool numbers = false) {
    const SectionView* same = nullptr;  // the section written, when the program reads it
    for (size_t i = 0; i < std::size(kSections); ++i) {
        View(file, kSections[i], numbers, views[i]);
        same = SameName(kSections[i], written) ? &views[i] : same;
    }
    if (same != nullptr) {
        views.back() = *same;
    } else {
        View(file, written, numbers, views.back());
    }
}

// The view of the section written as it was, with entry written: its value changes where
// the name is entry's, or the entry is added after the others.
void ExpectWritten(std::string_view before, std::string_view entry, std::string_view written,
                   SectionView& expected) {
    expected.clear();
    bool listed = false;
    std::string_view name;
    std::string_view value;
    while (TakePiece(before, &name) && TakePiece(before, &value)) {
        const bool same = SameName(name, entry);
        listed = listed || same;
        AddPiece(expected, name);
        AddPiece(expected, same ? written : value);
    }
    if (!listed) {
        AddPiece(expected, entry);
        AddPiece(expected, written);
    }
}

// A value that reads back as written: no blanks around it, not in quotes.
bool ReadsBackAsWritten(std::string_view value) {
    const bool blanks = !value.empty() && (value.front() == ' ' || value.front() == '\t' ||
                                           value.back() == ' ' || value.back() == '\t');
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                        value.back() == value.front();
    return !blanks && !quoted;
}

// What file saves, read back: from memory, or through the file on disk.
CSettingsFile SaveAndReread(const CSettingsFile& file, bool onDisk) {
    if (!onDisk) {
        return CSettingsFile(file.Path(), file.Content());
    }
    Require(file.Save() == 1, "the settings file is saved");
    Require(CFuzzFolder::Contents(file.Path()) == file.Content(), "the file holds what is saved");
    return CSettingsFile(file.Path());
}

// The bytes file saves, for a file read from the bytes it is then compared with. Through the
// file on disk they are also read back and saved again; in memory that would only read the
// same bytes a second time.
std::string SavedAgain(const CSettingsFile& file, bool onDisk) {
    return onDisk ? SaveAndReread(file, true).Content() : file.Content();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view content = Take(input, "");
    const std::string_view section = Take(input, "Options");
    const std::string_view entry = Take(input, "Save");
    const std::string_view value = Take(input, "1");

    static bool filesDone = false;
    const bool onDisk = !filesDone;
    filesDone = true;
    const auto* bytes = reinterpret_cast<const unsigned char*>(content.data());
    const std::string path =
        onDisk ? CFuzzFolder::Instance().Write("settings.ini", bytes, content.size())
               : std::string("settings.ini");
    CSettingsFile file = onDisk ? CSettingsFile(path) : CSettingsFile(path, std::string(content));
    static Views before, after, reread;
    static SectionView expected;
    ViewAll(file, section, before, true);
    Require(SavedAgain(file, onDisk) == content, "a file saved unchanged keeps every byte");

    if (file.WriteString(section, entry, value) == 0) {
        Require(SavedAgain(file, onDisk) == content, "a refused entry changes nothing");
        return 0;
    }
    bool found = false;
    const std::string written = Lookup(file, section, entry, &found);
    Require(found, "the written entry is found");
    Require(!ReadsBackAsWritten(value) || written == value, "the written value reads back");
    ViewAll(file, section, after);
    for (size_t i = 0; i < before.size(); ++i) {
        const bool target = SameName(i < std::size(kSections) ? kSections[i] : section, section);
        Require(target || before[i] == after[i], "other sections keep their entries");
    }

    // In the section written, only the entry changes, or it is added after the others.
    ExpectWritten(before.back(), entry, written, expected);
    Require(after.back() == expected, "the section written changes only in its entry");

    const std::string saved = file.Content();
    const CSettingsFile rereadFile = SaveAndReread(file, onDisk);
    ViewAll(rereadFile, section, reread);
    Require(reread == after, "the saved file reads back as it was written");
    Require(SavedAgain(rereadFile, onDisk) == saved, "reading and saving again changes no byte");
    return 0;
}
