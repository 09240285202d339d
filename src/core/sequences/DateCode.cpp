#include "sequences/DateCode.h"

#include <cstdio>
#include <ctime>

namespace {

constexpr int kDaysPerWeek = 7;

std::optional<CalendarDay>& SetDay() {
    static std::optional<CalendarDay> day;
    return day;
}

CalendarDay LocalToday() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_yday};
}

}  // namespace

// The year is taken modulo 100, so that the code keeps its four digits after 2099 too.
std::string MakeDateCode(const CalendarDay& day) {
    char text[16];
    std::snprintf(text, sizeof text, "%2.2d%2.2d", day.year % 100,
                  day.dayOfYear / kDaysPerWeek + 1);
    return text;
}

CalendarDay Today() {
    return SetDay() ? *SetDay() : LocalToday();
}

CScopedToday::CScopedToday(CalendarDay day) : previous(SetDay()) {
    SetDay() = day;
}

CScopedToday::~CScopedToday() {
    SetDay() = previous;
}
