#pragma once
// The date and time texts of the echo's start line, in Russian whatever the process locale is: the
// program speaks Russian everywhere, and both computers must write the same log.

#include <chrono>
#include <string>

namespace tarvela {

// Local time in the Russian long time format "H:mm:ss" ("9:05:03").
std::string longTimeText(std::chrono::system_clock::time_point time);

// "Старт программы. Сейчас 10 Декабря 2026 г -  четверг. Время: 9:05:03." for the local time: the
// day without a leading zero, the month in the capitalised genitive, the year, "г - ", a space, the
// weekday in lower case (two spaces stand between the hyphen and the weekday), then the long time.
std::string startLineText(std::chrono::system_clock::time_point time);

} // namespace tarvela
