// The user guide's examples cannot go stale: every example script in the
// guide is played through the headless mirlow, and what it did is compared
// with what the guide says it does.
//
//   mirlow_guide_examples GUIDE HEADLESS_MIRLOW
//
// In the guide an example script is a <pre class="script"> block or a
// <code class="script"> in the text; any other <code> that holds a command
// with an argument, and any <pre> without a known class, fails the test, so
// no example escapes it. What an example does is taken from the sentence it
// stands in ("<code class="script">TYPE {date}</code> types
// <code>03/09/2026</code>"), or else from its data-plays attribute, written
// in the notation of Render below: typed characters as themselves, keys in
// brackets ([Enter], [Ctrl down]), click(x,y) and move(x,y), START(...) and
// GOTO(...), a pause of 100 ms or more as (250 ms) or (2 s), and a message
// box and a non-zero exit code at the end. data-passes="3" plays three
// passes and compares the last. Log samples (<pre class="log"> with
// data-level, compared line by line; <code class="log"> and a <pre
// class="log" data-excerpt="yes">, found among the lines) must have the shape of what the example
// named by data-of writes: numbers and quoted texts may differ, nothing else.
//
// Every example runs on the same simulated desktop: the windows the guide
// names (Notepad's report comes 2950 ms late), 9 March 2026 at 14:05:09.042, and a seed whose first
// {random} between 1000 and 9999 is 4711.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "model/model.h"
#include "platform/platform.h"
#include "playback/playback.h"

namespace {

const char* const PreClasses[] = {"script", "log", "command", "registry", "format"};
const int GuideRandomNumber = 4711;
const int32_t PauseShown = 100; // ms

std::string mirlowPath, work;
int failures = 0;

void Fail(const std::string& what) {
    fprintf(stderr, "FAIL: %s\n", what.c_str());
    failures++;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(!line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1)
                                                             : line);
    return lines;
}

// ---- The guide's elements ----

std::string DecodeHtml(std::string text) {
    text = std::regex_replace(text, std::regex("<[^>]*>"), "");
    const char* const entities[][2] = {{"&lt;", "<"},  {"&gt;", ">"},   {"&quot;", "\""},
                                       {"&#39;", "'"}, {"&nbsp;", " "}, {"&minus;", "\xE2\x88\x92"},
                                       {"&amp;", "&"}};
    for (const auto& entity : entities)
        text = std::regex_replace(text, std::regex(entity[0]), entity[1]);
    return text;
}

struct Element {
    std::string tag, text, after; // after: the guide's words that follow it
    std::map<std::string, std::string> attributes;

    std::string Attribute(const std::string& name) const {
        auto found = attributes.find(name);
        return found != attributes.end() ? found->second : "";
    }
};

std::vector<Element> Elements(const std::string& html, const std::string& tag) {
    std::vector<Element> found;
    std::regex pattern("<" + tag + "\\b([^>]*)>([\\s\\S]*?)</" + tag + ">");
    std::regex attribute("([a-z-]+)=\"([^\"]*)\"");
    for (std::sregex_iterator it(html.begin(), html.end(), pattern), end; it != end; ++it) {
        Element element{
            tag, DecodeHtml((*it)[2]), html.substr(it->position() + it->length(), 200), {}};
        std::string attributes = (*it)[1];
        for (std::sregex_iterator a(attributes.begin(), attributes.end(), attribute); a != end; ++a)
            element.attributes[(*a)[1]] = DecodeHtml((*a)[2]);
        found.push_back(element);
    }
    return found;
}

// ---- Playing an example through the headless program ----

struct Item {
    uint32_t tick;
    std::string command, text; // a script command: its keyword and text
    uint32_t message;          // or an event
    int32_t paramL, paramH;
};

struct Run {
    std::vector<std::vector<Item>> passes; // what each pass did, in order
    std::vector<std::string> log, boxes;
    int exitCode;
};

uint32_t SeedForGuideRandom(void) {
    uint32_t seed = 0;
    for (;; seed++) {
        SeedRandom(seed);
        if (RandomInRange(1000, 9999) == GuideRandomNumber)
            return seed;
    }
}

void PrepareRun(const std::string& script, int level, int passes) {
    static const uint32_t seed = SeedForGuideRandom();
    WriteFile(work + "/desktop.txt", "window \"Untitled - Notepad\" 100 50 640 480\n"
                                     "window \"Orders - Main Menu\" 200 100 800 600\n"
                                     "window \"Report.txt - Notepad\" 300 250 640 480 program "
                                     "notepad.exe class Notepad appears 2950\n"
                                     "localtime 2026-03-09 14:05:09.042\ntick 1000000\nseed " +
                                         std::to_string(seed) + "\n");
    char settings[512];
    snprintf(settings, sizeof settings,
             "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Mirlow]\r\n\"Log\"=dword:%08x\r\n"
             "\"Logfile\"=\"%s/run.log\"\r\n\"Repeats\"=dword:%08x\r\n",
             level, work.c_str(), passes);
    WriteFile(work + "/settings.reg", settings);
    // The end marker a recording ends with: it shows the pause of a last WAIT.
    WriteFile(work + "/example.mrx", script + "\r\nmessage=15 paramH=0 paramL=0 time=0\r\n");
    remove((work + "/run.log").c_str());
}

std::vector<Item> PrintedEvents(const std::string& out) {
    std::vector<Item> events;
    for (const std::string& line : Lines(out)) {
        Item item = {};
        char name[32];
        if (sscanf(line.c_str(), "%" SCNu32 " %31s paramL=%" SCNd32 " paramH=%" SCNd32, &item.tick,
                   name, &item.paramL, &item.paramH) != 4)
            continue;
        item.message = (uint32_t)strtol(name, nullptr, 10);
        for (uint32_t message = 0; message < 0x400; message++) {
            if (NameOfMessage(message) != nullptr && std::string(name) == NameOfMessage(message))
                item.message = message;
        }
        events.push_back(item);
    }
    return events;
}

// The log at MEDIUM names every played event and every command reached, in
// order; the printed events give the events' times.
void SplitIntoPasses(Run* run, const std::vector<Item>& events) {
    static const std::regex command(
        "^Play Event #\\d+ at (\\d+): Script Command #\\d+: (\\w+) '(.*)'$");
    run->passes.assign(1, {});
    size_t next = 0;
    for (const std::string& line : run->log) {
        std::smatch match;
        if (std::regex_match(line, match, command))
            run->passes.back().push_back(
                {(uint32_t)std::stoul(match[1]), match[2], match[3], 0, 0, 0});
        else if (line.rfind("Play Event #", 0) == 0 &&
                 line.find(": Message=") != std::string::npos && next < events.size())
            run->passes.back().push_back(events[next++]);
        else if (line == "Playback Complete!")
            run->passes.emplace_back();
    }
    if (run->passes.size() > 1 && run->passes.back().empty())
        run->passes.pop_back();
}

Run Play(const std::string& script, int level, int passes) {
    PrepareRun(script, level, passes);
    std::string command = "MIRLOW_DESKTOP='" + work + "/desktop.txt' MIRLOW_REGISTRY='" + work +
                          "/settings.reg' '" + mirlowPath + "' '" + work + "/example.mrx' 2>'" +
                          work + "/boxes.txt'";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    char block[4096];
    for (size_t got; pipe != nullptr && (got = fread(block, 1, sizeof block, pipe)) > 0;)
        out.append(block, got);
    int status = pipe != nullptr ? pclose(pipe) : -1;
    Run run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.log = Lines(ReadFile(work + "/run.log"));
    for (const std::string& line : Lines(ReadFile(work + "/boxes.txt")))
        if (line.rfind("message box ", 0) == 0)
            run.boxes.push_back(line.substr(12));
    SplitIntoPasses(&run, PrintedEvents(out));
    return run;
}

// ---- What a pass did, in the notation of the examples ----

const std::map<int, const char*> NamedKeys = {
    {0x08, "Backspace"}, {0x09, "Tab"},      {0x0D, "Enter"},     {0x1B, "Esc"},   {0x21, "PgUp"},
    {0x22, "PgDn"},      {0x23, "End"},      {0x24, "Home"},      {0x25, "Left"},  {0x26, "Up"},
    {0x27, "Right"},     {0x28, "Down"},     {0x2D, "Ins"},       {0x2E, "Del"},   {0x6B, "Num +"},
    {0x6D, "Num -"},     {0x6E, "Num ."},    {0x6F, "Num /"},     {0x10, "Shift"}, {0x11, "Ctrl"},
    {0x12, "Alt"},       {0xA4, "Left Alt"}, {0xA5, "Right Alt"},
};

bool IsKey(const Item& item, bool down) {
    return item.command.empty() && (down ? item.message == 0x100 || item.message == 0x104
                                         : item.message == 0x101 || item.message == 0x105);
}
int KeyOf(const Item& item) {
    return item.paramL & 0xFF;
}

// The text of a key pressed and released; "" for a key that only holds.
std::string KeyText(int key, bool shift) {
    for (int c = 0x20; c < 0x7F; c++) {
        CharacterKey typed = KeyForCharacter((char)c);
        if (typed.virtualKey == key && typed.shift == shift)
            return std::string(1, (char)c);
    }
    auto named = NamedKeys.find(key);
    if (shift || key == KeyShift || key == KeyControl || key == KeyAlt || key == KeyLeftAlt ||
        key == KeyRightAlt)
        return "";
    if (named != NamedKeys.end())
        return std::string("[") + named->second + "]";
    if (key >= KeyF1 && key < KeyF1 + 12)
        return "[F" + std::to_string(key - KeyF1 + 1) + "]";
    char ansi[2] = {(char)key, 0}, utf8[8]; // a character of the code page: its key is its byte
    return key >= 0x80 && PlatformAnsiToUtf8(ansi, utf8, sizeof utf8) ? utf8 : "";
}

bool SameKey(const Item& a, const Item& b) {
    return KeyOf(a) == KeyOf(b);
}

// A Unicode key record (key 231) carries its character in paramH's high word.
std::string UnicodeKeyText(const Item& item) {
    uint32_t unit = (uint32_t)item.paramH >> 16;
    if (unit < 0x80)
        return std::string(1, (char)unit);
    if (unit < 0x800)
        return {(char)(0xC0 | unit >> 6), (char)(0x80 | (unit & 0x3F))};
    return {(char)(0xE0 | unit >> 12), (char)(0x80 | (unit >> 6 & 0x3F)),
            (char)(0x80 | (unit & 0x3F))};
}

// How many items from items[i] on make one thing, and its text.
size_t RenderOne(const std::vector<Item>& items, size_t i, std::string* text) {
    const Item& item = items[i];
    size_t left = items.size() - i;
    if (!item.command.empty()) {
        bool shown = item.command == "START" || item.command == "GOTO";
        *text = shown ? item.command + "(" + item.text + ")" : "";
        return 1;
    }
    if (left >= 4 && IsKey(item, true) && KeyOf(item) == KeyShift && IsKey(items[i + 1], true) &&
        IsKey(items[i + 2], false) && SameKey(items[i + 1], items[i + 2]) &&
        IsKey(items[i + 3], false) && KeyOf(items[i + 3]) == KeyShift &&
        !(*text = KeyText(KeyOf(items[i + 1]), true)).empty())
        return 4;
    if (left >= 2 && IsKey(item, true) && IsKey(items[i + 1], false) &&
        SameKey(item, items[i + 1]) &&
        !(*text = KeyOf(item) == 231 ? UnicodeKeyText(item) : KeyText(KeyOf(item), false)).empty())
        return 2;
    if (IsKey(item, true) || IsKey(item, false)) {
        auto named = NamedKeys.find(KeyOf(item));
        std::string name =
            named != NamedKeys.end() ? named->second : "key " + std::to_string(KeyOf(item));
        *text = "[" + name + (IsKey(item, true) ? " down]" : " up]");
        return 1;
    }
    std::string point = "(" + std::to_string(item.paramL) + "," + std::to_string(item.paramH) + ")";
    if (left >= 2 && item.message == 0x201 && items[i + 1].message == 0x202 &&
        items[i + 1].paramL == item.paramL && items[i + 1].paramH == item.paramH) {
        *text = "click" + point;
        return 2;
    }
    const std::map<uint32_t, std::string> mouse = {{0x200, "move"}, {0x201, "down"}, {0x202, "up"}};
    *text = mouse.count(item.message) != 0 ? mouse.at(item.message) + point
            : item.message == 15           ? ""
                                           : "#" + std::to_string(item.message) + point;
    return 1;
}

std::string Render(const Run& run) {
    std::string text;
    const std::vector<Item>& items = run.passes.back();
    uint32_t last = items.empty() ? 0 : items[0].tick;
    for (size_t i = 0; i < items.size();) {
        std::string one;
        size_t used = RenderOne(items, i, &one);
        int32_t pause = (int32_t)(items[i].tick - last);
        if (pause >= PauseShown)
            text += pause % 1000 == 0 ? "(" + std::to_string(pause / 1000) + " s)"
                                      : "(" + std::to_string(pause) + " ms)";
        text += one;
        last = items[i + used - 1].tick;
        i += used;
    }
    for (const std::string& box : run.boxes)
        text += "BOX(" + box + ")";
    return run.exitCode != 0 ? text + "exit " + std::to_string(run.exitCode) : text;
}

// ---- Checks ----

void CheckExample(const Element& example) {
    std::smatch said;
    std::string stated = example.Attribute("data-plays");
    if (std::regex_search(example.after, said, std::regex("^\\s+types\\s+<code>([^<]*)</code>")))
        stated = DecodeHtml(said[1]);
    else if (example.attributes.count("data-plays") == 0)
        return Fail("the guide does not say what this example does:\n" + example.text);
    std::string passes = example.Attribute("data-passes");
    std::string played = Render(Play(example.text, 2, passes.empty() ? 1 : std::stoi(passes)));
    if (played != stated)
        Fail("example:\n" + example.text + "\n  the guide says: " + stated +
             "\n  it plays:       " + played);
}

std::string Shape(const std::string& line) {
    std::string shape = std::regex_replace(line, std::regex("'[^']*'"), "'*'");
    return std::regex_replace(shape, std::regex("[0-9]+"), "0");
}

std::vector<std::string> Shapes(const std::vector<std::string>& lines) {
    std::vector<std::string> shapes;
    for (const std::string& line : lines)
        if (!line.empty())
            shapes.push_back(Shape(line));
    return shapes;
}

void CheckLogSample(const Element& sample, const std::map<std::string, std::string>& scripts) {
    auto script = scripts.find(sample.Attribute("data-of"));
    if (script == scripts.end())
        return Fail("a log sample without the id of its example: " + sample.text);
    std::string level = sample.Attribute("data-level");
    Run run = Play(script->second, level.empty() ? 2 : std::stoi(level), 1);
    std::vector<std::string> written = Shapes(run.log), shown = Shapes(Lines(sample.text));
    bool matches =
        sample.tag == "code" || sample.Attribute("data-excerpt") == "yes" || written == shown;
    for (const std::string& line : shown)
        matches = matches && std::find(written.begin(), written.end(), line) != written.end();
    std::string all;
    for (const std::string& line : run.log)
        all += "\n    " + line;
    if (!matches)
        Fail("log sample:\n" + sample.text + "\n  does not match what the example writes:" + all);
}

// Every <pre> is classified, and every command in <code> is an example.
void CheckClassified(const std::vector<Element>& pres, const std::vector<Element>& codes) {
    for (const Element& pre : pres) {
        if (std::find(std::begin(PreClasses), std::end(PreClasses), pre.Attribute("class")) ==
            std::end(PreClasses))
            Fail("a <pre> block without a known class: " + pre.text);
    }
    std::regex command("^(START|GOTO|WAIT|TYPE|MOUSECLICK|WINDOWCLICK) .");
    for (const Element& code : codes) {
        if (std::regex_search(code.text, command) && code.Attribute("class") != "script")
            Fail("a command in <code> that is not marked as an example: " + code.text);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: mirlow_guide_examples GUIDE HEADLESS_MIRLOW\n");
        return 2;
    }
    mirlowPath = argv[2];
    char folder[] = "/tmp/mirlow-guide-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 2;
    work = folder;
    std::string html = std::regex_replace(ReadFile(argv[1]), std::regex("<!--[\\s\\S]*?-->"), "");
    // A <code> inside a <pre> is part of that block.
    std::string prose = std::regex_replace(html, std::regex("<pre\\b[\\s\\S]*?</pre>"), "");
    std::vector<Element> elements = Elements(html, "pre"), codes = Elements(prose, "code");
    CheckClassified(elements, codes);
    elements.insert(elements.end(), codes.begin(), codes.end());

    std::map<std::string, std::string> scripts;
    int examples = 0, samples = 0;
    for (const Element& element : elements) {
        if (element.Attribute("class") != "script")
            continue;
        if (!element.Attribute("id").empty())
            scripts[element.Attribute("id")] = element.text;
        CheckExample(element);
        examples++;
    }
    for (const Element& element : elements) {
        if (element.Attribute("class") == "log") {
            CheckLogSample(element, scripts);
            samples++;
        }
    }
    if (system(("rm -rf '" + work + "'").c_str()) != 0)
        fprintf(stderr, "could not remove %s\n", work.c_str());
    printf("%d example scripts and %d log samples of the guide checked, %d failed\n", examples,
           samples, failures);
    return failures == 0 && examples > 0 ? 0 : 1;
}
