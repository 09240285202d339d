#pragma once
// The little JSON that tarnctl --json prints: quoted strings and fields.

#include <string>

// text as a JSON string, with quotes, backslashes and control characters escaped.
std::string JsonString(const std::string& text);
// "name": value, with value already JSON.
std::string JsonField(const std::string& name, const std::string& value);
