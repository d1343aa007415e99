// The user guide's examples cannot go stale: every example script in the
// guide is played through the headless mirlow, and what it did is compared
// with what the guide says it does.
//
//   mirlow_guide_examples GUIDE HEADLESS_MIRLOW
//
// In the guide an example script is a <pre class="script"> block or a
// <code class="script"> in the text; any other <code> that holds a command
// with an argument, and any <pre> without a class, fails the test, so no
// example escapes it. What an example does is taken from the sentence it
// stands in ("<code class="script">TYPE {date}</code> types
// <code>03/09/2026</code>"), or else from its data-plays attribute, written
// in the notation of Render below: typed characters as themselves, keys in
// brackets ([Enter], [Ctrl down]), click(x,y) and move(x,y), START(...) and
// GOTO(...), a pause of 100 ms or more as (250 ms) or (2 s), and a message
// box and a non-zero exit code at the end. data-passes="3" plays three
// passes and compares the last. Log samples (<pre class="log"> with
// data-level, compared line by line; <code class="log">, found among the
// lines) must have the shape of what the example named by data-of writes:
// numbers and quoted texts may differ, nothing else.
//
// Every example runs on the same simulated desktop: the windows the guide
// names, 9 March 2026 at 14:05:09.042, and a seed whose first {random}
// between 1000 and 9999 is 4711.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "model/model.h"
#include "platform/platform.h"
#include "playback/playback.h"

namespace {

const char* const Keywords[] = {"START", "GOTO", "WAIT", "TYPE", "MOUSECLICK", "WINDOWCLICK"};
const char* const PreClasses[] = {"script", "log", "command", "registry", "format"};
const int GuideRandomNumber = 4711;
const int PauseShown = 100; // ms

std::string guidePath, mirlowPath, workFolder;
int failures = 0;

void Fail(const std::string& what) {
    fprintf(stderr, "FAIL: %s\n", what.c_str());
    failures++;
}

std::string ReadFile(const std::string& path) {
    std::string text;
    FILE* file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return text;
    char block[4096];
    size_t got;
    while ((got = fread(block, 1, sizeof block, file)) > 0)
        text.append(block, got);
    fclose(file);
    return text;
}

void WriteFile(const std::string& path, const std::string& text) {
    FILE* file = fopen(path.c_str(), "wb");
    if (file != nullptr) {
        fwrite(text.data(), 1, text.size(), file);
        fclose(file);
    }
}

// ---- The guide's elements ----

std::string DecodeHtml(std::string text) {
    text = std::regex_replace(text, std::regex("<[^>]*>"), "");
    const std::pair<const char*, const char*> entities[] = {
        {"&lt;", "<"},
        {"&gt;", ">"},
        {"&quot;", "\""},
        {"&#39;", "'"},
        {"&minus;", "\xE2\x88\x92"},
        {"&times;", "\xC3\x97"},
        {"&nbsp;", " "},
        {"&amp;", "&"},
    };
    for (const auto& entity : entities) {
        for (size_t at; (at = text.find(entity.first)) != std::string::npos;)
            text.replace(at, strlen(entity.first), entity.second);
    }
    return text;
}

struct Element {
    std::string tag, text, after; // after: the guide's words that follow it
    std::map<std::string, std::string> attributes;
};

std::vector<Element> Elements(const std::string& html, const std::string& tag) {
    std::vector<Element> found;
    std::regex pattern("<" + tag + "\\b([^>]*)>([\\s\\S]*?)</" + tag + ">");
    std::regex attribute("([a-z-]+)=\"([^\"]*)\"");
    for (std::sregex_iterator it(html.begin(), html.end(), pattern), end; it != end; ++it) {
        Element element;
        element.tag = tag;
        element.text = DecodeHtml((*it)[2]);
        std::string attributes = (*it)[1];
        for (std::sregex_iterator a(attributes.begin(), attributes.end(), attribute); a != end; ++a)
            element.attributes[(*a)[1]] = DecodeHtml((*a)[2]);
        element.after = html.substr((size_t)(it->position() + it->length()), 200);
        found.push_back(element);
    }
    return found;
}

bool HoldsCommand(const std::string& text) {
    for (const char* keyword : Keywords) {
        size_t length = strlen(keyword);
        if (text.compare(0, length, keyword) == 0 && text.size() > length + 1 &&
            text[length] == ' ')
            return true;
    }
    return false;
}

// ---- Playing an example through the headless program ----

struct Item {
    uint32_t tick;
    bool command;
    std::string kind, text; // a command
    uint32_t message;       // an event
    int32_t paramL, paramH;
};

struct Run {
    std::vector<std::vector<Item>> passes;
    std::vector<std::string> logLines, boxes;
    int exitCode;
};

uint32_t SeedForGuideRandom(void) {
    for (uint32_t seed = 0;; seed++) {
        SeedRandom(seed);
        if (RandomInRange(1000, 9999) == GuideRandomNumber)
            return seed;
    }
}

void WriteDesktopAndSettings(int level, int passes) {
    char desktop[512];
    snprintf(desktop, sizeof desktop,
             "window \"Untitled - Notepad\" 100 50 640 480\n"
             "window \"Orders - Main Menu\" 200 100 800 600\n"
             "localtime 2026-03-09 14:05:09.042\ntick 1000000\nseed %" PRIu32 "\n",
             SeedForGuideRandom());
    WriteFile(workFolder + "/desktop.txt", desktop);
    char settings[1024];
    snprintf(settings, sizeof settings,
             "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Mirlow]\r\n\"Log\"=dword:%08x\r\n"
             "\"Logfile\"=\"%s/run.log\"\r\n\"Repeats\"=dword:%08x\r\n",
             level, workFolder.c_str(), passes);
    WriteFile(workFolder + "/settings.reg", settings);
}

uint32_t MessageNumber(const std::string& name) {
    for (uint32_t message = 0; message < 0x400; message++) {
        const char* known = NameOfMessage(message);
        if (known != nullptr && name == known)
            return message;
    }
    return (uint32_t)strtol(name.c_str(), nullptr, 10);
}

std::vector<Item> PrintedEvents(const std::string& out) {
    std::vector<Item> events;
    char name[32];
    Item item = {};
    for (const char* line = out.c_str(); *line != '\0'; line = strchr(line, '\n') + 1) {
        if (sscanf(line, "%" SCNu32 " %31s paramL=%" SCNd32 " paramH=%" SCNd32, &item.tick, name,
                   &item.paramL, &item.paramH) == 4) {
            item.message = MessageNumber(name);
            events.push_back(item);
        }
        if (strchr(line, '\n') == nullptr)
            break;
    }
    return events;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// The log at MEDIUM names every played event and every command reached, in
// order; the printed events give the events' times.
std::vector<std::vector<Item>> Passes(const std::vector<std::string>& log,
                                      const std::vector<Item>& events) {
    std::vector<std::vector<Item>> passes(1);
    size_t next = 0;
    static const std::regex command(
        "^Play Event #\\d+ at (\\d+): Script Command #\\d+: (\\w+) '(.*)'$");
    for (const std::string& line : log) {
        std::smatch match;
        if (std::regex_match(line, match, command)) {
            Item item = {(uint32_t)std::stoul(match[1]), true, match[2], match[3], 0, 0, 0};
            passes.back().push_back(item);
        } else if (line.rfind("Play Event #", 0) == 0 &&
                   line.find(": Message=") != std::string::npos) {
            if (next < events.size())
                passes.back().push_back(events[next++]);
        } else if (line == "Playback Complete!") {
            passes.emplace_back();
        }
    }
    if (passes.size() > 1 && passes.back().empty())
        passes.pop_back();
    return passes;
}

Run Play(const std::string& script, int level, int passes) {
    WriteDesktopAndSettings(level, passes);
    std::string path = workFolder + "/example.mrx";
    // The end marker a recording ends with: it shows the pause of a last WAIT.
    WriteFile(path, script + "\r\nmessage=15 paramH=0 paramL=0 time=0\r\n");
    remove((workFolder + "/run.log").c_str());
    std::string command = "MIRLOW_DESKTOP='" + workFolder + "/desktop.txt' MIRLOW_REGISTRY='" +
                          workFolder + "/settings.reg' '" + mirlowPath + "' '" + path + "' 2>'" +
                          workFolder + "/boxes.txt'";
    Run run;
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    char block[4096];
    size_t got;
    while (pipe != nullptr && (got = fread(block, 1, sizeof block, pipe)) > 0)
        out.append(block, got);
    int status = pipe != nullptr ? pclose(pipe) : -1;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.logLines = Lines(ReadFile(workFolder + "/run.log"));
    for (const std::string& line : Lines(ReadFile(workFolder + "/boxes.txt")))
        if (line.rfind("message box ", 0) == 0)
            run.boxes.push_back(line.substr(12));
    run.passes = Passes(run.logLines, PrintedEvents(out));
    return run;
}

// ---- What a pass did, in the notation of the examples ----

std::map<std::pair<int, bool>, char> CharacterKeys(void) {
    std::map<std::pair<int, bool>, char> keys;
    for (int c = 0x20; c < 0x7F; c++) {
        CharacterKey key = KeyForCharacter((char)c);
        keys[{key.virtualKey, key.shift}] = (char)c;
    }
    return keys;
}

const std::map<int, const char*> NamedKeys = {
    {0x08, "Backspace"}, {0x09, "Tab"},   {0x0D, "Enter"}, {0x1B, "Esc"},  {0x21, "PgUp"},
    {0x22, "PgDn"},      {0x23, "End"},   {0x24, "Home"},  {0x25, "Left"}, {0x26, "Up"},
    {0x27, "Right"},     {0x28, "Down"},  {0x2D, "Ins"},   {0x2E, "Del"},  {0x6B, "Num +"},
    {0x6D, "Num -"},     {0x6E, "Num ."}, {0x6F, "Num /"},
};
const std::map<int, const char*> HeldKeys = {
    {0x10, "Shift"}, {0x11, "Ctrl"}, {0x12, "Alt"}, {0xA4, "Left Alt"}, {0xA5, "Right Alt"},
};

bool IsKey(const Item& item, bool down) {
    if (item.command)
        return false;
    return down ? item.message == 0x100 || item.message == 0x104
                : item.message == 0x101 || item.message == 0x105;
}
int KeyOf(const Item& item) {
    return item.paramL & 0xFF;
}

// The text of the key pressed and released; "" when it has none.
std::string KeyText(int key, bool shift) {
    static const std::map<std::pair<int, bool>, char> characters = CharacterKeys();
    auto character = characters.find({key, shift});
    if (character != characters.end())
        return std::string(1, character->second);
    if (shift)
        return "";
    auto named = NamedKeys.find(key);
    if (named != NamedKeys.end())
        return std::string("[") + named->second + "]";
    if (key >= 0x70 && key <= 0x7B)
        return "[F" + std::to_string(key - 0x6F) + "]";
    char ansi[2] = {(char)key, 0}; // a character of the code page: its key is its byte
    char utf8[8];
    return key >= 0x80 && PlatformAnsiToUtf8(ansi, utf8, sizeof utf8) ? utf8 : "";
}

// How many items at items[i] make one thing, and its text.
size_t RenderOne(const std::vector<Item>& items, size_t i, std::string* text) {
    const Item& item = items[i];
    size_t left = items.size() - i;
    if (item.command) {
        *text =
            item.kind == "START" || item.kind == "GOTO" ? item.kind + "(" + item.text + ")" : "";
        return 1;
    }
    if (left >= 4 && IsKey(item, true) && KeyOf(item) == 0x10 && IsKey(items[i + 1], true) &&
        IsKey(items[i + 2], false) && KeyOf(items[i + 1]) == KeyOf(items[i + 2]) &&
        IsKey(items[i + 3], false) && KeyOf(items[i + 3]) == 0x10 &&
        !(*text = KeyText(KeyOf(items[i + 1]), true)).empty())
        return 4;
    if (left >= 2 && IsKey(item, true) && IsKey(items[i + 1], false) &&
        KeyOf(item) == KeyOf(items[i + 1]) && !(*text = KeyText(KeyOf(item), false)).empty())
        return 2;
    if (IsKey(item, true) || IsKey(item, false)) {
        auto held = HeldKeys.find(KeyOf(item));
        std::string name =
            held != HeldKeys.end() ? held->second : "key " + std::to_string(KeyOf(item));
        *text = "[" + name + (IsKey(item, true) ? " down]" : " up]");
        return 1;
    }
    std::string point = "(" + std::to_string(item.paramL) + "," + std::to_string(item.paramH) + ")";
    if (left >= 2 && item.message == 0x201 && items[i + 1].message == 0x202 &&
        items[i + 1].paramL == item.paramL && items[i + 1].paramH == item.paramH) {
        *text = "click" + point;
        return 2;
    }
    *text = item.message == 0x200   ? "move" + point
            : item.message == 0x201 ? "down" + point
            : item.message == 0x202 ? "up" + point
            : item.message == 15    ? ""
                                    : "#" + std::to_string(item.message) + point;
    return 1;
}

std::string Pause(uint32_t from, uint32_t to) {
    int32_t ms = (int32_t)(to - from);
    if (ms < PauseShown)
        return "";
    return ms % 1000 == 0 ? "(" + std::to_string(ms / 1000) + " s)"
                          : "(" + std::to_string(ms) + " ms)";
}

std::string Render(const Run& run) {
    std::string text;
    const std::vector<Item>& items = run.passes.back();
    uint32_t last = items.empty() ? 0 : items[0].tick;
    for (size_t i = 0; i < items.size();) {
        std::string one;
        size_t used = RenderOne(items, i, &one);
        text += Pause(last, items[i].tick) + one;
        last = items[i + used - 1].tick;
        i += used;
    }
    for (const std::string& box : run.boxes)
        text += "BOX(" + box + ")";
    if (run.exitCode != 0)
        text += "exit " + std::to_string(run.exitCode);
    return text;
}

// ---- Checks ----

std::string Shape(const std::string& line) {
    std::string shape = std::regex_replace(line, std::regex("'[^']*'"), "'*'");
    return std::regex_replace(shape, std::regex("[0-9]+"), "0");
}

// What the guide says the example does: the sentence it stands in, or its
// data-plays.
bool Stated(const Element& example, std::string* stated) {
    std::smatch match;
    if (std::regex_search(example.after, match, std::regex("^\\s+types\\s+<code>([^<]*)</code>"))) {
        *stated = DecodeHtml(match[1]);
        return true;
    }
    auto plays = example.attributes.find("data-plays");
    if (plays == example.attributes.end())
        return false;
    *stated = plays->second;
    return true;
}

void CheckExample(const Element& example) {
    std::string stated;
    if (!Stated(example, &stated)) {
        Fail("the guide does not say what this example does:\n" + example.text);
        return;
    }
    auto passes = example.attributes.find("data-passes");
    int count = passes != example.attributes.end() ? std::stoi(passes->second) : 1;
    std::string played = Render(Play(example.text, 2, count));
    if (played != stated)
        Fail("example:\n" + example.text + "\n  the guide says: " + stated +
             "\n  it plays:       " + played);
}

void CheckLogSample(const Element& sample, const std::map<std::string, std::string>& scripts) {
    auto of = sample.attributes.find("data-of");
    if (of == sample.attributes.end() || scripts.count(of->second) == 0) {
        Fail("a log sample without the id of its example: " + sample.text);
        return;
    }
    auto level = sample.attributes.find("data-level");
    Run run = Play(scripts.at(of->second),
                   level != sample.attributes.end() ? std::stoi(level->second) : 2, 1);
    std::vector<std::string> written, shown;
    for (const std::string& line : run.logLines)
        if (!line.empty())
            written.push_back(Shape(line));
    for (const std::string& line : Lines(sample.text))
        if (!line.empty())
            shown.push_back(Shape(line));
    bool whole = sample.tag == "pre";
    bool matches = whole ? written == shown : true;
    for (const std::string& line : shown)
        matches = matches && std::find(written.begin(), written.end(), line) != written.end();
    if (!matches) {
        std::string all;
        for (const std::string& line : run.logLines)
            all += "\n    " + line;
        Fail("log sample:\n" + sample.text + "\n  does not match what the example writes:" + all);
    }
}

bool IsScript(const Element& element) {
    auto kind = element.attributes.find("class");
    return kind != element.attributes.end() && kind->second == "script";
}

// Every <pre> is classified, and every command in <code> is an example.
void CheckClassified(const std::vector<Element>& pres, const std::vector<Element>& codes) {
    for (const Element& pre : pres) {
        auto kind = pre.attributes.find("class");
        bool known = false;
        for (const char* name : PreClasses)
            known = known || (kind != pre.attributes.end() && kind->second == name);
        if (!known)
            Fail("a <pre> block without a known class: " + pre.text);
    }
    for (const Element& code : codes) {
        if (HoldsCommand(code.text) && !IsScript(code))
            Fail("a command in <code> that is not marked as an example: " + code.text);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: mirlow_guide_examples GUIDE HEADLESS_MIRLOW\n");
        return 2;
    }
    guidePath = argv[1];
    mirlowPath = argv[2];
    char folder[] = "/tmp/mirlow-guide-XXXXXX";
    if (mkdtemp(folder) == nullptr)
        return 2;
    workFolder = folder;
    std::string html = std::regex_replace(ReadFile(guidePath), std::regex("<!--[\\s\\S]*?-->"), "");
    // A <code> inside a <pre> is part of that block.
    std::string prose = std::regex_replace(html, std::regex("<pre\\b[\\s\\S]*?</pre>"), "");
    std::vector<Element> pres = Elements(html, "pre"), codes = Elements(prose, "code");
    CheckClassified(pres, codes);

    std::map<std::string, std::string> scripts;
    int examples = 0;
    for (const std::vector<Element>* elements : {&pres, &codes}) {
        for (const Element& element : *elements) {
            if (!IsScript(element))
                continue;
            if (element.attributes.count("id") != 0)
                scripts[element.attributes.at("id")] = element.text;
            CheckExample(element);
            examples++;
        }
    }
    int samples = 0;
    for (const std::vector<Element>* elements : {&pres, &codes}) {
        for (const Element& element : *elements) {
            auto kind = element.attributes.find("class");
            if (kind != element.attributes.end() && kind->second == "log") {
                CheckLogSample(element, scripts);
                samples++;
            }
        }
    }
    std::string cleanup = "rm -rf '" + workFolder + "'";
    if (system(cleanup.c_str()) != 0)
        fprintf(stderr, "could not remove %s\n", workFolder.c_str());
    printf("%d example scripts and %d log samples of the guide checked, %d failed\n", examples,
           samples, failures);
    return failures == 0 && examples > 0 ? 0 : 1;
}
