#pragma once
// CSettingsFile: the program's sectioned settings file ("[Section]" headers, one
// "Entry=value" per line), read and changed the way the classic private-profile functions
// do it: section and entry names match without regard to case, the first match wins, and
// an entry that is written replaces its line in place or is added to its section. Every
// other line (comments, unknown sections and entries, blank lines, line endings) is kept
// byte for byte. Changes stay in memory until Save, which replaces the file atomically.
// A file in UTF-16 or with a UTF-8 byte-order mark is read as UTF-8 and saved in the
// encoding it had.

#include <string>
#include <string_view>
#include <vector>

#include "settings/TextEncoding.h"

class CSettingsFile {
public:
    // Reads the file at path; a missing or unreadable file reads as empty.
    explicit CSettingsFile(std::string path);
    // Reads content as the file at path holds it, without touching the disk.
    CSettingsFile(std::string path, std::string content);

    const std::string& Path() const { return path; }

    // The value of the entry with surrounding blanks and one pair of matching quotes
    // removed, or def when the section or entry is missing.
    std::string GetString(std::string_view section, std::string_view entry,
                          std::string_view def) const;
    // The value read as an integer: optional sign, then decimal digits, or hexadecimal after
    // "0x", octal after "0o", binary after "0b", up to the first other character (none: 0);
    // def when the entry is missing or its value is empty.
    int GetInt(std::string_view section, std::string_view entry, int def) const;
    // The entry names of the section in file order; empty when the section is missing.
    std::vector<std::string> EntryNames(std::string_view section) const;
    // The same into *names, replacing what it held; a caller that lists again and again
    // keeps the vector's room.
    void EntryNames(std::string_view section, std::vector<std::string>* names) const;

    // Sets the entry, adding the section or the entry when missing. Answers 0, changing
    // nothing, for names or values the file cannot hold (empty names, line breaks, '=' in
    // an entry name, ']' in a section name, bytes that are no UTF-8 text in a UTF-16 file);
    // else 1.
    int WriteString(std::string_view section, std::string_view entry, std::string_view value);

    // The bytes Save writes: the lines in the file's encoding, or the bytes read when the
    // text is unchanged.
    std::string Content() const;
    // Writes Content() atomically, creating its folder when missing. 1 on success,
    // 0 on failure (the file on disk is then as it was).
    int Save() const;

private:
    // A line and what it is, worked out once: a section header, an entry, or neither, with
    // the place of its name (and value). The lines only refer into the text, which holds
    // them all with their line endings, as Content() writes them.
    struct Line {
        enum Kind : unsigned char { kOther, kHeader, kEntry };
        size_t at = 0;                 // where the line starts in the text
        size_t size = 0;               // without its line ending
        unsigned char endingSize = 0;  // "\n", "\r\n", or none for a last line without one
        Kind kind = kOther;
        size_t nameAt = 0;  // from the line's start
        size_t nameSize = 0;
        size_t valueAt = 0;
        size_t valueSize = 0;
    };
    struct Range {
        size_t header;  // index of the section header line
        size_t end;     // one past the section's last line
    };

    std::string_view Text(const Line& line) const { return {text.data() + line.at, line.size}; }
    std::string_view Ending(const Line& line) const {
        return {text.data() + line.at + line.size, line.endingSize};
    }
    std::string_view Name(const Line& line) const {
        return {text.data() + line.at + line.nameAt, line.nameSize};
    }
    std::string_view Value(const Line& line) const {
        return {text.data() + line.at + line.valueAt, line.valueSize};
    }
    // Works out what the line is from its text.
    void Parse(Line& line) const;
    // The text as it was read.
    std::string_view ReadText() const;

    // The entry's value, or def when the section or entry is missing.
    std::string_view Find(std::string_view section, std::string_view entry,
                          std::string_view def) const;
    bool FindSection(std::string_view section, Range* range) const;
    // Index of the entry's line inside range, or lines.size() when missing.
    size_t FindEntry(const Range& range, std::string_view entry) const;
    std::string_view NewLineEnding() const;
    void InsertLine(size_t at, std::string_view lineText);
    // Replaces count bytes of the text from position from with replacement; the lines from
    // index first on move with it.
    void Splice(size_t from, size_t count, std::string_view replacement, size_t first);

    std::string path;
    TextEncoding encoding = kUtf8;
    std::string text;
    std::vector<Line> lines;
    std::vector<size_t> headers;  // the indices of the section header lines, in order
    // The file as read: a text that is unchanged is written back as these bytes, also where
    // its encoding cannot carry every one of them (a damaged UTF-16 file). The text read
    // from a UTF-16 file is kept as well; a UTF-8 file's is the bytes after the mark.
    std::string readBytes;
    std::string readUtf16Text;
};
