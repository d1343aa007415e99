/*
 * sim_resource_script.cpp: the simulated desktop reads the program's
 * resource script, resources/mirlow.rc, from the source tree as the
 * resource compiler reads it.
 *
 * The simulated dialogs, menus, string table and accelerator tables are
 * made from what this reads, so the program under test meets the controls,
 * identifiers, texts, styles and places of its real templates, the items
 * and first states of its real menu and the keys of its real table, and
 * a test of the script itself reads the same parse. Nothing of the program
 * is compiled in: identifiers are read from resources/resource.h and the
 * version from the generated resources/version.h, as text at run time,
 * with the statements and macros the script uses.
 */
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#ifndef MIRLOW_SOURCE_DIR
#define MIRLOW_SOURCE_DIR "."
#endif
#ifndef MIRLOW_GENERATED_DIR
#define MIRLOW_GENERATED_DIR "."
#endif

namespace {

/* The text of a file below the folder; empty when it cannot be read. */
std::string ReadFileText(const char* folder, const char* relative) {
    std::ifstream file(std::string(folder) + "/" + relative, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string ReadSourceFile(const char* relative) {
    return ReadFileText(MIRLOW_SOURCE_DIR, relative);
}

/* Comments go; strings (where "" is a quote) are kept as they are. */
std::string WithoutComments(const std::string& text) {
    std::string out;
    bool inString = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (!inString && c == '/' && i + 1 < text.size() && text[i + 1] == '*') {
            size_t end = text.find("*/", i + 2);
            i = end == std::string::npos ? text.size() : end + 1;
            continue;
        }
        if (!inString && c == '/' && i + 1 < text.size() && text[i + 1] == '/') {
            while (i < text.size() && text[i] != '\n')
                i++;
        }
        if (c == '"')
            inString = !inString;
        if (c == '\n')
            inString = false;
        if (i < text.size())
            out += text[i];
    }
    return out;
}

/* The macros of the generated version header, each name with the text
 * the preprocessor puts in for it (a literal with its quotes, a number). */
std::map<std::string, std::string> VersionMacros(void) {
    std::map<std::string, std::string> macros;
    std::istringstream lines(
        WithoutComments(ReadFileText(MIRLOW_GENERATED_DIR, "resources/version.h")));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string define, name, value;
        if (words >> define >> name && define == "#define" && std::getline(words, value))
            macros[name] = value.substr(value.find_first_not_of(" \t"));
    }
    return macros;
}

bool IsWordCharacter(char c) {
    return isalnum((unsigned char)c) || c == '_';
}

/* Each macro outside a string becomes its text, as the resource
 * compiler's preprocessor puts it in. */
std::string WithMacrosExpanded(const std::string& text) {
    std::map<std::string, std::string> macros = VersionMacros();
    std::string out;
    bool inString = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (inString || !IsWordCharacter(c)) {
            if (c == '"')
                inString = !inString;
            else if (c == '\n')
                inString = false;
            out += c;
            continue;
        }
        size_t end = i;
        while (end < text.size() && IsWordCharacter(text[end]))
            end++;
        std::string word = text.substr(i, end - i);
        auto macro = macros.find(word);
        out += macro != macros.end() ? macro->second : word;
        i = end - 1;
    }
    return out;
}

/* Literals with only blanks between them on a line are one literal, as
 * the compiler joins them ("a" "b" is "ab"). */
std::string WithLiteralsJoined(const std::string& text) {
    std::string out;
    bool inString = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (inString && c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
            out += "\"\"";
            i++;
            continue;
        }
        if (inString && c == '"') {
            size_t next = text.find_first_not_of(" \t", i + 1);
            if (next != std::string::npos && next > i + 1 && text[next] == '"') {
                i = next;
                continue;
            }
        }
        if (c == '"')
            inString = !inString;
        if (c == '\n')
            inString = false;
        out += c;
    }
    return out;
}

/* The resource script as the dialog, menu and string-table readers take
 * it. The files do not change while the program runs: read once. */
const std::string& ResourceScript(void) {
    static const std::string* script = new std::string(WithLiteralsJoined(
        WithMacrosExpanded(WithoutComments(ReadSourceFile("resources/mirlow.rc")))));
    return *script;
}

std::map<std::string, int> ResourceNumbers(void) {
    std::map<std::string, int> numbers = {{"IDOK", 1}, {"IDCANCEL", 2}, {"IDC_STATIC", -1}};
    std::istringstream lines(WithoutComments(ReadSourceFile("resources/resource.h")));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string define, name, value;
        if (!(words >> define >> name >> value) || define != "#define")
            continue;
        std::string digits;
        for (char c : value) {
            if (c != '(' && c != ')')
                digits += c;
        }
        char* end = nullptr;
        long number = strtol(digits.c_str(), &end, 0);
        if (end != digits.c_str() && *end == '\0')
            numbers[name] = (int)number;
    }
    return numbers;
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    size_t last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

/* The comma-separated fields of a statement; quoted ones are unquoted. */
std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields;
    std::string field;
    bool inString = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (c == '"' && inString && i + 1 < text.size() && text[i + 1] == '"') {
            field += '"';
            i++;
        } else if (c == '"') {
            inString = !inString;
        } else if (c == ',' && !inString) {
            fields.push_back(Trim(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(Trim(field));
    return fields;
}

int NumberOf(const std::string& field, const std::map<std::string, int>& numbers) {
    auto named = numbers.find(field);
    if (named != numbers.end())
        return named->second;
    return (int)strtol(field.c_str(), nullptr, 0);
}

/* A statement goes on over the next lines while a line ends in a comma or
 * an or-bar. */
std::string JoinedStatement(std::istream& lines, const std::string& first) {
    std::string statement = Trim(first), next;
    while (!statement.empty() && (statement.back() == ',' || statement.back() == '|') &&
           std::getline(lines, next))
        statement += " " + Trim(next);
    return statement;
}

/* The characters a string literal's escapes stand for. */
char Unescaped(char c) {
    switch (c) {
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    default:
        return c;
    }
}

/* The string table's entries: an identifier, a comma, then literals that
 * are joined (a doubled quote inside one is a quote). */
std::map<int, std::string> ReadStringTable(void) {
    std::map<std::string, int> numbers = ResourceNumbers();
    std::string text = ResourceScript();
    std::map<int, std::string> table;
    size_t at = text.find("STRINGTABLE");
    size_t begin = at == std::string::npos ? at : text.find("BEGIN", at);
    size_t end = begin == std::string::npos ? begin : text.find("\nEND", begin);
    if (end == std::string::npos)
        return table;
    int id = 0;
    std::string word;
    for (size_t i = begin + 5; i < end; i++) {
        char c = text[i];
        if (c == '"') {
            for (i++; i < end; i++) {
                char d = text[i];
                if (d == '"' && text[i + 1] != '"')
                    break;
                if (d == '"' || (d == '\\' && i + 1 < end)) {
                    i++;
                    d = d == '"' ? '"' : Unescaped(text[i]);
                }
                table[id] += d;
            }
        } else if (isalnum((unsigned char)c) || c == '_') {
            word += c;
        } else if (!word.empty()) {
            id = NumberOf(word, numbers);
            table[id];
            word.clear();
        }
    }
    return table;
}

/* The statements the program's templates use, with the class and the
 * styles each implies. */
struct Statement {
    const char* keyword;
    const char* className;
    const char* impliedStyle;
    bool hasText;
};
const Statement Statements[] = {
    {"LTEXT", "Static", "SS_LEFT | WS_GROUP", true},
    {"RTEXT", "Static", "SS_RIGHT | WS_GROUP", true},
    {"CTEXT", "Static", "SS_CENTER | WS_GROUP", true},
    {"PUSHBUTTON", "Button", "BS_PUSHBUTTON | WS_TABSTOP", true},
    {"DEFPUSHBUTTON", "Button", "BS_DEFPUSHBUTTON | WS_TABSTOP", true},
    {"GROUPBOX", "Button", "BS_GROUPBOX", true},
    {"AUTOCHECKBOX", "Button", "BS_AUTOCHECKBOX | WS_TABSTOP", true},
    {"AUTORADIOBUTTON", "Button", "BS_AUTORADIOBUTTON | WS_TABSTOP", true},
    {"EDITTEXT", "Edit", "ES_LEFT | WS_BORDER | WS_TABSTOP", false},
    {"ICON", "Static", "SS_ICON", true},
    {"COMBOBOX", "ComboBox", "CBS_SIMPLE | WS_TABSTOP", false},
    {"SCROLLBAR", "ScrollBar", "SBS_HORZ", false},
};

bool ParseControl(const std::string& line, const std::map<std::string, int>& numbers,
                  SimTemplateControl* control) {
    std::istringstream words(line);
    std::string keyword;
    words >> keyword;
    std::vector<std::string> f = Fields(line.substr(line.find(keyword) + keyword.size()));
    if (keyword == "CONTROL") {
        if (f.size() < 8)
            return false;
        *control = SimTemplateControl{NumberOf(f[1], numbers),
                                      f[2],
                                      f[0],
                                      f[3],
                                      NumberOf(f[4], numbers),
                                      NumberOf(f[5], numbers),
                                      NumberOf(f[6], numbers),
                                      NumberOf(f[7], numbers)};
        return true;
    }
    for (const Statement& s : Statements) {
        if (keyword != s.keyword)
            continue;
        size_t at = s.hasText ? 1 : 0;
        if (f.size() < at + 5)
            return false;
        std::string style = s.impliedStyle;
        if (f.size() > at + 5)
            style += " | " + f[at + 5];
        *control = SimTemplateControl{NumberOf(f[at], numbers),     s.className,
                                      s.hasText ? f[0] : "",        style,
                                      NumberOf(f[at + 1], numbers), NumberOf(f[at + 2], numbers),
                                      NumberOf(f[at + 3], numbers), NumberOf(f[at + 4], numbers)};
        return true;
    }
    return false;
}

/* The virtual key an accelerator names: a quoted letter or digit, or a
 * function key; 0 for others (the program's table has no others). */
int AcceleratorKey(const std::string& field) {
    if (field.size() == 1 && isalnum((unsigned char)field[0]))
        return toupper((unsigned char)field[0]);
    if (field.compare(0, 4, "VK_F") == 0 && field.size() > 4) {
        int number = atoi(field.c_str() + 4);
        return number >= 1 && number <= 24 ? 0x70 + number - 1 : 0;
    }
    return 0;
}

bool ParseAccelerator(const std::string& line, const std::map<std::string, int>& numbers,
                      SimAccelerator* entry) {
    std::vector<std::string> f = Fields(line);
    if (f.size() < 3 || AcceleratorKey(f[0]) == 0)
        return false;
    *entry = SimAccelerator{AcceleratorKey(f[0]), NumberOf(f[1], numbers), false, false, false};
    for (size_t i = 2; i < f.size(); i++) {
        entry->control |= f[i] == "CONTROL";
        entry->shift |= f[i] == "SHIFT";
        entry->alt |= f[i] == "ALT";
    }
    return true;
}

/* ---- Menus ---- */

/* A menu text with its escapes turned into the characters they stand for
 * ("\t" before the shortcut shown at the right). */
std::string UnescapedText(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\\' && i + 1 < text.size())
            out += Unescaped(text[++i]);
        else
            out += text[i];
    }
    return out;
}

/* The options after an item's text (and identifier), separated by commas
 * or blanks; an inactive item is as disabled as a grayed one. */
void ApplyMenuOptions(const std::vector<std::string>& fields, size_t first, SimMenuItem* item) {
    for (size_t i = first; i < fields.size(); i++) {
        std::istringstream words(fields[i]);
        std::string option;
        while (words >> option) {
            if (option == "GRAYED" || option == "INACTIVE")
                item->enabled = false;
            else if (option == "CHECKED")
                item->checked = true;
        }
    }
}

/* True when the next line that is not blank opens a block. */
bool OpensBlock(std::istream& lines) {
    std::string line;
    while (std::getline(lines, line)) {
        if (!Trim(line).empty())
            return Trim(line) == "BEGIN";
    }
    return false;
}

/* The items of a menu's block, from the line after its BEGIN to its END;
 * false for a statement that is not understood. */
bool ReadMenuBlock(std::istream& lines, const std::map<std::string, int>& numbers,
                   std::vector<SimMenuItem>* items) {
    std::string line;
    while (std::getline(lines, line)) {
        line = JoinedStatement(lines, line);
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword))
            continue;
        if (keyword == "END")
            return true;
        std::string rest = Trim(line.substr(line.find(keyword) + keyword.size()));
        SimMenuItem item = {0, "", true, false, {}};
        std::vector<std::string> f = Fields(rest);
        if (keyword == "MENUITEM" && rest == "SEPARATOR") {
            items->push_back(item);
            continue;
        }
        item.text = UnescapedText(f[0]);
        if (keyword == "MENUITEM" && f.size() >= 2) {
            item.id = NumberOf(f[1], numbers);
            ApplyMenuOptions(f, 2, &item);
        } else if (keyword == "POPUP") {
            ApplyMenuOptions(f, 1, &item);
            if (!OpensBlock(lines) || !ReadMenuBlock(lines, numbers, &item.items))
                return false;
        } else {
            return false;
        }
        items->push_back(item);
    }
    return false;
}

} // namespace

bool SimReadDialogTemplate(int templateId, SimDialogTemplate* dialog) {
    std::map<std::string, int> numbers = ResourceNumbers();
    std::istringstream lines(ResourceScript());
    std::string line;
    bool inside = false, inBlock = false;
    *dialog = SimDialogTemplate{0, 0, "", "", {}};
    while (std::getline(lines, line)) {
        line = JoinedStatement(lines, line);
        std::istringstream words(line);
        std::string first, second;
        words >> first >> second;
        if (!inside) {
            if (second == "DIALOGEX" && NumberOf(first, numbers) == templateId) {
                std::vector<std::string> f = Fields(line.substr(line.find("DIALOGEX") + 8));
                inside = f.size() >= 4;
                if (inside) {
                    dialog->width = NumberOf(f[2], numbers);
                    dialog->height = NumberOf(f[3], numbers);
                }
            }
            continue;
        }
        if (!inBlock) {
            if (first == "STYLE")
                dialog->style = Trim(line.substr(5));
            else if (first == "CAPTION")
                dialog->caption = Fields(line.substr(7))[0];
            inBlock = first == "BEGIN";
            continue;
        }
        if (first == "END")
            return true;
        SimTemplateControl control;
        if (ParseControl(line, numbers, &control))
            dialog->controls.push_back(control);
    }
    return false;
}

bool SimReadAccelerators(int tableId, std::vector<SimAccelerator>* entries) {
    std::map<std::string, int> numbers = ResourceNumbers();
    std::istringstream lines(WithoutComments(ReadSourceFile("resources/mirlow.rc")));
    std::string line;
    bool inside = false, inBlock = false;
    entries->clear();
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string first, second;
        words >> first >> second;
        if (!inside) {
            inside = second == "ACCELERATORS" && NumberOf(first, numbers) == tableId;
            continue;
        }
        if (!inBlock) {
            inBlock = first == "BEGIN";
            continue;
        }
        if (first == "END")
            return true;
        SimAccelerator entry;
        if (ParseAccelerator(line, numbers, &entry))
            entries->push_back(entry);
    }
    return false;
}

bool SimReadMenu(int menuId, std::vector<SimMenuItem>* bar) {
    std::map<std::string, int> numbers = ResourceNumbers();
    std::istringstream lines(ResourceScript());
    std::string line;
    bar->clear();
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string first, second;
        words >> first >> second;
        if (second != "MENU" || NumberOf(first, numbers) != menuId)
            continue;
        if (OpensBlock(lines) && ReadMenuBlock(lines, numbers, bar))
            return true;
        break;
    }
    bar->clear();
    return false;
}

bool SimReadResourceString(int stringId, std::string* text) {
    std::map<int, std::string> table = ReadStringTable();
    auto found = table.find(stringId);
    if (found == table.end())
        return false;
    *text = found->second;
    return true;
}
