/*
 * sim_desktop_file.cpp: the simulated desktop described in a text file, so
 * a user of the headless program can see what a script would do on a
 * desktop of their choosing. One statement per line; # starts a comment:
 *
 *   window "Untitled - Notepad" 100 50 640 480 [minimized] [program notepad.exe]
 *          [class Notepad] [appears 3000] [dpi 144]
 *   control "Button" 1 "OK" 300 250 75 23
 *   dpi 120
 *   localtime 2002-02-14 09:05:07.042
 *   tick 1000000
 *   seed 12345
 *   fail-program missing.exe
 *   ready-after notepad.exe 800
 *   hands-over calc.exe
 *
 * A control belongs to the window described last: its class, control ID,
 * text, and its place from the window's top-left corner. "dpi" is the
 * display scale of the desktop; a window's own "dpi" the scale it alone
 * is shown at. A program that "hands-over" ends as soon as it started,
 * as a launcher does.
 * A window that "appears" is not there until that many milliseconds of
 * the simulated clock have passed since the description was read, and
 * then comes to the front; with its place it shows how a recording
 * waits for a late window and follows one that opened elsewhere. A
 * program started with "ready-after" is ready for input that long after
 * it was started (-1: it never is, as a console program).
 */
#include <cerrno>
#include <cstdlib>
#include <sstream>

#include "platform/sim/sim_control.h"

namespace {

/* Windows that appear later, with their delays; scheduled once the whole
 * description (its tick included) has been read. */
std::vector<std::pair<WindowHandle, uint32_t>> lateWindows;
/* The window described last, which a control belongs to. */
WindowHandle lastWindow;

bool ReadQuoted(std::istringstream& in, std::string* text) {
    in >> std::ws;
    if (in.get() != '"')
        return false;
    return (bool)std::getline(in, *text, '"');
}

struct WindowOptions {
    bool minimized = false;
    std::string program;
    std::string className = "SimDesktopWindow";
    bool late = false;
    uint32_t appears = 0;
    int dpi = 0;
};

/* A scale from 1 to 9999 dots per inch. */
bool ReadDpi(std::istringstream& in, int* dpi) {
    return (in >> *dpi) && *dpi > 0 && *dpi < 10000;
}

/* The words after a window's place, in any order. */
bool ReadWindowOptions(std::istringstream& in, WindowOptions* options) {
    std::string word;
    while (in >> word) {
        if (word == "minimized")
            options->minimized = true;
        else if (word == "program" && (in >> options->program))
            continue;
        else if (word == "class" && (in >> options->className))
            continue;
        else if (word == "appears" && (in >> options->appears))
            options->late = true;
        else if (word != "dpi" || !ReadDpi(in, &options->dpi))
            return false;
    }
    return true;
}

/* A window's size is never negative; its corner may lie anywhere. */
bool ReadWindow(std::istringstream& in) {
    std::string title;
    int x, y, width, height;
    WindowOptions options;
    if (!ReadQuoted(in, &title) || !(in >> x >> y >> width >> height) || width < 0 || height < 0 ||
        !ReadWindowOptions(in, &options))
        return false;
    WindowHandle window =
        SimAddDesktopWindow(title.c_str(), x, y, width, height, options.minimized);
    SimSetWindowProgram(window, options.program.c_str(), options.className.c_str());
    SimSetWindowDpi(window, options.dpi);
    if (options.late)
        lateWindows.push_back(std::make_pair(window, options.appears));
    lastWindow = window;
    return true;
}

bool ReadControl(std::istringstream& in) {
    std::string className, text, rest;
    int id, x, y, width, height;
    return lastWindow != nullptr && ReadQuoted(in, &className) && (in >> id) &&
           ReadQuoted(in, &text) && (in >> x >> y >> width >> height) && width >= 0 &&
           height >= 0 && !(in >> rest) &&
           SimAddControl(lastWindow, className.c_str(), id, text.c_str(), x, y, width, height) !=
               nullptr;
}

/* 0 for Sunday, as the system counts. */
int DayOfWeek(int year, int month, int day) {
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        year -= 1;
    return (year + year / 4 - year / 100 + year / 400 + offsets[(month - 1) % 12] + day) % 7;
}

/* A number from minimum to maximum at *at, followed by separator (or the
 * end of the text when separator is 0); *at moves past both. */
bool ReadField(const char** at, int minimum, int maximum, char separator, int* value) {
    if (**at < '0' || **at > '9')
        return false;
    char* end;
    errno = 0;
    long number = strtol(*at, &end, 10);
    if (errno != 0 || number < minimum || number > maximum || *end != separator)
        return false;
    *value = (int)number;
    *at = separator != '\0' ? end + 1 : end;
    return true;
}

/* The years, days and hours the system's clock can hold (1601 to 30827). */
bool ReadDate(const std::string& text, LocalTime* t) {
    const char* at = text.c_str();
    return ReadField(&at, 1601, 30827, '-', &t->year) && ReadField(&at, 1, 12, '-', &t->month) &&
           ReadField(&at, 1, 31, '\0', &t->day);
}

bool ReadClock(const std::string& text, LocalTime* t) {
    const char* at = text.c_str();
    t->milliseconds = 0;
    if (!ReadField(&at, 0, 23, ':', &t->hour) || !ReadField(&at, 0, 59, ':', &t->minute))
        return false;
    if (text.find('.') == std::string::npos)
        return ReadField(&at, 0, 59, '\0', &t->second);
    return ReadField(&at, 0, 59, '.', &t->second) && ReadField(&at, 0, 999, '\0', &t->milliseconds);
}

bool ReadLocalTime(std::istringstream& in) {
    std::string date, time;
    LocalTime t = SimStartLocalTime;
    if (!(in >> date >> time) || !ReadDate(date, &t) || !ReadClock(time, &t))
        return false;
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
    if (word == "control")
        return ReadControl(in);
    int dpi;
    if (word == "dpi" && ReadDpi(in, &dpi)) {
        SimSetDpi(dpi);
        return true;
    }
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
    int readyAfter;
    if (word == "ready-after" && (in >> name >> readyAfter) && readyAfter >= -1) {
        SimSetProgramStartup(name.c_str(), readyAfter);
        return true;
    }
    if (word == "hands-over" && (in >> name)) {
        SimSetProgramHandsOver(name.c_str());
        return true;
    }
    return false;
}

} // namespace

/* A description is a few lines; a megabyte is more than any needs. */
static const size_t DesktopFileLimit = 1024 * 1024;

static std::string ReadProblem(SimFileRead result) {
    switch (result) {
    case SimFileMissing:
    case SimFileUnreadable:
        return "cannot be read";
    case SimFileNotPlain:
        return "is not a plain file";
    case SimFileTooLarge:
        return "is larger than a desktop description can be";
    case SimFileReadOk:
        break;
    }
    return "";
}

bool SimLoadDesktop(const char* path, std::string* error) {
    std::string bytes;
    SimFileRead result = SimReadPlainFile(path, DesktopFileLimit, &bytes);
    if (result != SimFileReadOk) {
        *error = std::string(path) + ": " + ReadProblem(result);
        return false;
    }
    std::istringstream file(bytes);
    std::string line;
    lateWindows.clear();
    lastWindow = nullptr;
    for (int number = 1; std::getline(file, line); number++) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!ReadStatement(line)) {
            *error =
                std::string(path) + ":" + std::to_string(number) + ": cannot read '" + line + "'";
            return false;
        }
    }
    for (const auto& late : lateWindows)
        SimScheduleWindowChange(late.first, PlatformTickCount() + late.second, SimWindowAppears);
    lateWindows.clear();
    return true;
}
