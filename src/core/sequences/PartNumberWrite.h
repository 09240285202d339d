#pragma once
// Writing a part number and a date code into the selected controller, as the Set Part
// Number command does once the operator has chosen: the part number is checked first,
// and a refused one sends nothing.

#include <string>

class CControllerLink;

inline constexpr const char* kPartNumberSet = "Part Number and Date Code Set.";
inline constexpr const char* kPartNumberNotSet = "Unable to Set Part Number and Date Code.";
inline constexpr int kPartNumberLength = 6;

// "" when partNumber may be written: six decimal digits. Else the refusal: no part
// number, not six characters, or not a decimal number.
std::string PartNumberRefusal(const std::string& partNumber);

// "" when dateCode is a date code as the program makes it: four digits YYWW, the week
// 01 to 53. Else the refusal.
std::string DateCodeRefusal(const std::string& dateCode);

// Sends partNumber (read as a decimal number) and dateCode (likewise) to the link's
// controller; 1 when acknowledged. Check both first: nothing is checked here.
int WritePartNumber(CControllerLink& link, const std::string& partNumber,
                    const std::string& dateCode);
