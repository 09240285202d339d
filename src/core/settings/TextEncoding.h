#pragma once
// The encodings a text editor may give the settings file: UTF-8 with or without a
// byte-order mark, and UTF-16 with its mark in either byte order (what Notepad writes as
// "Unicode"). The file is read as UTF-8 and written back in the encoding it had.

#include <cstddef>
#include <string>
#include <string_view>

enum TextEncoding : int {
    kUtf8,
    kUtf8WithMark,
    kUtf16Le,
    kUtf16Be,
};

// The text of bytes as UTF-8, without its byte-order mark, into *text; answers the
// encoding told by the mark (kUtf8 without one). An unpaired surrogate or a lone last byte
// of a UTF-16 text reads as U+FFFD.
TextEncoding DecodeText(std::string_view bytes, std::string* text);

// The size of the byte-order mark that starts the bytes of encoding (0 for plain UTF-8).
size_t MarkSize(TextEncoding encoding);

// text (UTF-8) as the bytes of encoding, with its byte-order mark where it has one.
std::string EncodeText(std::string_view text, TextEncoding encoding);

// True when text survives being written in encoding and read back: always for the UTF-8
// encodings, only for well-formed UTF-8 text for UTF-16.
bool Carries(TextEncoding encoding, std::string_view text);
