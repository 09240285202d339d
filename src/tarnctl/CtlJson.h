#pragma once
// The little JSON that tarnctl --json prints: quoted strings and fields.

#include <string>
#include <vector>

// text as a JSON string, with quotes, backslashes and control characters escaped.
std::string JsonString(const std::string& text);
// "name": value, with value already JSON.
std::string JsonField(const std::string& name, const std::string& value);
// {fields}, each a JsonField.
std::string JsonObject(const std::vector<std::string>& fields);
// [items], each already JSON.
std::string JsonArray(const std::vector<std::string>& items);
// Appends item to list, with separator before it unless list is empty.
void AppendSeparated(std::string& list, const std::string& separator, const std::string& item);
