#pragma once
// The date code written into a controller with its part number: four decimal digits
// YYWW, the year's last two digits and the week of the year (1 to 53: the day of the
// year, counted from 0 for 1 January, divided by 7, plus 1). Today's date comes through
// a seam, so that tests can set it.

#include <optional>
#include <string>

struct CalendarDay {
    int year;       // e.g. 2011
    int dayOfYear;  // 0 for 1 January, up to 365
};

// "YYWW" for day: week 7 of 2011 gives "1107".
std::string MakeDateCode(const CalendarDay& day);

// Today in local time, unless a CScopedToday sets another day.
CalendarDay Today();

// Makes Today answer day for the lifetime of the object.
class CScopedToday {
public:
    explicit CScopedToday(CalendarDay day);
    ~CScopedToday();
    CScopedToday(const CScopedToday&) = delete;
    CScopedToday& operator=(const CScopedToday&) = delete;

private:
    std::optional<CalendarDay> previous;
};
