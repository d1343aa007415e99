/*
 * sim_desktop_file.cpp: the simulated desktop described in a text file, so
 * a user of the headless program can see what a script would do on a
 * desktop of their choosing. One statement per line; # starts a comment:
 *
 *   window "Untitled - Notepad" 100 50 640 480 [minimized]
 *   localtime 2002-02-14 09:05:07.042
 *   tick 1000000
 *   seed 12345
 *   fail-program missing.exe
 */
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/sim/sim_control.h"

namespace {

bool ReadQuoted(std::istringstream& in, std::string* text) {
    in >> std::ws;
    if (in.get() != '"')
        return false;
    return (bool)std::getline(in, *text, '"');
}

bool ReadWindow(std::istringstream& in) {
    std::string title, flag;
    int x, y, width, height;
    if (!ReadQuoted(in, &title) || !(in >> x >> y >> width >> height))
        return false;
    bool minimized = (in >> flag) && flag == "minimized";
    SimAddDesktopWindow(title.c_str(), x, y, width, height, minimized);
    return true;
}

/* 0 for Sunday, as the system counts. */
int DayOfWeek(int year, int month, int day) {
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + offsets[(month - 1) % 12] + day) % 7;
}

bool ReadLocalTime(std::istringstream& in) {
    std::string date, time;
    if (!(in >> date >> time))
        return false;
    LocalTime t = SimStartLocalTime;
    int milliseconds = 0;
    if (sscanf(date.c_str(), "%d-%d-%d", &t.year, &t.month, &t.day) != 3)
        return false;
    int fields = sscanf(time.c_str(), "%d:%d:%d.%d", &t.hour, &t.minute, &t.second, &milliseconds);
    if (fields < 3)
        return false;
    if (t.month < 1 || t.month > 12)
        return false;
    t.milliseconds = milliseconds;
    t.dayOfWeek = DayOfWeek(t.year, t.month, t.day);
    SimSetLocalTime(t);
    return true;
}

bool ReadStatement(const std::string& line) {
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word[0] == '#')
        return true;
    uint32_t number;
    if (word == "window")
        return ReadWindow(in);
    if (word == "localtime")
        return ReadLocalTime(in);
    if (word == "tick" && (in >> number)) {
        SimSetTickCount(number);
        return true;
    }
    if (word == "seed" && (in >> number)) {
        SimSetRandomSeed(number);
        return true;
    }
    std::string name;
    if (word == "fail-program" && (in >> name)) {
        SimFailProgram(name.c_str());
        return true;
    }
    return false;
}

} // namespace

bool SimLoadDesktop(const char* path, std::string* error) {
    std::ifstream file(path);
    if (!file) {
        *error = std::string(path) + ": cannot be read";
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(file, line); number++) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!ReadStatement(line)) {
            *error =
                std::string(path) + ":" + std::to_string(number) + ": cannot read '" + line + "'";
            return false;
        }
    }
    return true;
}
