/*
 * sim_registry.cpp: the simulated desktop's registry.
 *
 * Four hives of keys held in memory, each key with its values in the order
 * they were first set. Key paths and value names compare without regard to
 * case and keep the spelling they were created with, as the system's do.
 * A key's parents exist through it rather than as entries of their own
 * until they hold a value, and values are found by name through an index,
 * so a key path of thousands of parts, or a key with thousands of values,
 * costs time and memory in proportion to its size.
 * A hive can be made read-only, the way HKEY_LOCAL_MACHINE is for a
 * standard user: keys open for reading, but opening with full access,
 * creating, and deleting keys are refused.
 *
 * The registry travels as a .reg file in the text form the system's
 * registry editor exports and imports, so one settings file serves the
 * native program and, imported with "regedit /s", the Windows one. Files
 * are read as UTF-16 with a byte-order mark (as the editor writes them) or
 * as plain 8-bit text, under either header ("Windows Registry Editor
 * Version 5.00" or the older "REGEDIT4"); a save keeps the encoding and
 * header of the last file imported, and a registry that was never imported
 * is saved the way the editor exports, UTF-16 with the version 5 header.
 * Text outside the 8-bit range is stored as '?', as an ANSI program would
 * see it.
 */
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>

#include "platform/sim/sim_control.h"

namespace {

struct RegValue {
    std::string name;
    uint32_t type;
    std::vector<uint8_t> data;
    uint64_t order; /* when the value was first set: the order of export */
};

struct RegKey {
    std::string path;                       /* as first spelled, without the hive */
    std::map<std::string, RegValue> values; /* by lower-case name */
    uint64_t nextOrder = 0;
};

struct Hive {
    std::map<std::string, RegKey> keys; /* by lower-case path; the root is implicit */
    bool readOnly = false;
};

struct OpenKey {
    bool inUse;
    int hive;
    std::string lowerPath;
    bool fullAccess;
};

enum FileEncoding { EncodingUtf16, EncodingPlain, EncodingUtf8Mark };

struct Registry {
    Hive hives[4];
    std::vector<OpenKey> handles;
    uint32_t revision = 0;
    std::vector<std::string> writes;
    FileEncoding encoding = EncodingUtf16;
    bool version5 = true;
};

Registry* registry = new Registry;

const char* const HiveNames[4] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                  "HKEY_USERS"};
const char* const HiveShortNames[4] = {"HKCR", "HKCU", "HKLM", "HKU"};
const char* const Version5Header = "Windows Registry Editor Version 5.00";
const char* const Version4Header = "REGEDIT4";

std::string Lower(const std::string& text) {
    std::string lower = text;
    for (char& c : lower)
        c = (char)tolower((unsigned char)c);
    return lower;
}

/* "a\\b\\", "\\a\\b" and "a\\\\b" name the same key as "a\\b". */
std::string TrimSlashes(const std::string& path) {
    std::string trimmed;
    for (char c : path) {
        if (c != '\\' || (!trimmed.empty() && trimmed.back() != '\\'))
            trimmed += c;
    }
    if (!trimmed.empty() && trimmed.back() == '\\')
        trimmed.pop_back();
    return trimmed;
}

int HiveIndex(RegistryHive hive) {
    int index = (int)hive;
    return index >= 0 && index < 4 ? index : (int)HiveUsers;
}

RegKey* FindKey(int hive, const std::string& lowerPath) {
    auto found = registry->hives[hive].keys.find(lowerPath);
    return found != registry->hives[hive].keys.end() ? &found->second : nullptr;
}

bool HasSubkeys(int hive, const std::string& lowerPath) {
    const std::map<std::string, RegKey>& keys = registry->hives[hive].keys;
    std::string prefix = lowerPath.empty() ? "" : lowerPath + "\\";
    auto next = keys.lower_bound(prefix);
    if (next != keys.end() && next->first == prefix)
        ++next;
    return next != keys.end() && next->first.compare(0, prefix.size(), prefix) == 0;
}

/* A key exists as an entry of its own or through a key below it. */
bool KeyExists(int hive, const std::string& lowerPath) {
    return lowerPath.empty() || FindKey(hive, lowerPath) != nullptr || HasSubkeys(hive, lowerPath);
}

/* Makes a key that exists only through its subkeys an entry of its own,
 * spelled as the first of them spells it. */
RegKey* MaterializeKey(int hive, const std::string& lowerPath) {
    std::map<std::string, RegKey>& keys = registry->hives[hive].keys;
    auto below = keys.lower_bound(lowerPath.empty() ? "" : lowerPath + "\\");
    std::string spelling =
        below != keys.end() ? below->second.path.substr(0, lowerPath.size()) : lowerPath;
    RegKey& key = keys[lowerPath];
    key.path = spelling;
    return &key;
}

/* Makes the key, whose parents then exist through it; true when it is new. */
bool MakeKey(int hive, const std::string& path) {
    std::string trimmed = TrimSlashes(path);
    std::string lower = Lower(trimmed);
    if (KeyExists(hive, lower))
        return false;
    registry->hives[hive].keys[lower].path = trimmed;
    return true;
}

/* The parent of a key about to go keeps existing, as the system's does. */
void KeepParentOf(int hive, const std::string& lowerPath) {
    size_t slash = lowerPath.rfind('\\');
    if (slash == std::string::npos)
        return;
    std::string parent = lowerPath.substr(0, slash);
    if (FindKey(hive, parent) == nullptr)
        MaterializeKey(hive, parent);
}

void RemoveKeyTree(int hive, const std::string& lowerPath) {
    if (!KeyExists(hive, lowerPath))
        return;
    KeepParentOf(hive, lowerPath);
    std::map<std::string, RegKey>& keys = registry->hives[hive].keys;
    std::string prefix = lowerPath + "\\";
    keys.erase(lowerPath);
    auto first = keys.lower_bound(prefix);
    auto last = first;
    while (last != keys.end() && last->first.compare(0, prefix.size(), prefix) == 0)
        ++last;
    keys.erase(first, last);
}

RegValue* FindValue(RegKey* key, const std::string& name) {
    auto found = key->values.find(Lower(name));
    return found != key->values.end() ? &found->second : nullptr;
}

bool StoreValue(RegKey* key, const std::string& name, uint32_t type,
                const std::vector<uint8_t>& data) {
    RegValue* value = FindValue(key, name);
    if (value == nullptr) {
        key->values[Lower(name)] = RegValue{name, type, data, key->nextOrder++};
        return true;
    }
    if (value->type == type && value->data == data)
        return false;
    value->type = type;
    value->data = data;
    return true;
}

bool RemoveValue(RegKey* key, const std::string& name) {
    return key->values.erase(Lower(name)) > 0;
}

/* The values in the order they were first set. */
std::vector<const RegValue*> ValuesInOrder(const RegKey& key) {
    std::vector<const RegValue*> ordered;
    for (const auto& entry : key.values)
        ordered.push_back(&entry.second);
    std::sort(ordered.begin(), ordered.end(),
              [](const RegValue* a, const RegValue* b) { return a->order < b->order; });
    return ordered;
}

RegistryKeyHandle NewHandle(int hive, const std::string& lowerPath, bool fullAccess) {
    std::vector<OpenKey>& handles = registry->handles;
    size_t slot = 0;
    while (slot < handles.size() && handles[slot].inUse)
        slot++;
    if (slot == handles.size())
        handles.push_back(OpenKey{});
    handles[slot] = OpenKey{true, hive, lowerPath, fullAccess};
    return (RegistryKeyHandle)(uintptr_t)(slot + 1);
}

OpenKey* LookupHandle(RegistryKeyHandle handle) {
    uintptr_t slot = (uintptr_t)handle;
    if (slot == 0 || slot > registry->handles.size() || !registry->handles[slot - 1].inUse)
        return nullptr;
    return &registry->handles[slot - 1];
}

/* The key an open handle names, or null when it was deleted since. A key
 * that exists only through its subkeys (the root among them) becomes an
 * entry of its own once it is to hold a value. */
RegKey* KeyOfHandle(const OpenKey* open, bool create) {
    RegKey* key = FindKey(open->hive, open->lowerPath);
    if (key == nullptr && create && KeyExists(open->hive, open->lowerPath))
        key = MaterializeKey(open->hive, open->lowerPath);
    return key;
}

/* Every change moves the revision on (SimRegistryRevision). */
void AdvanceRevision(void) {
    registry->revision++;
}

/* ---- .reg text: reading ---- */

/* The file's bytes as 8-bit text, and how they were encoded. */
std::string DecodeFile(const std::string& bytes, FileEncoding* encoding) {
    if (bytes.size() >= 2 && (uint8_t)bytes[0] == 0xFF && (uint8_t)bytes[1] == 0xFE) {
        *encoding = EncodingUtf16;
        std::string text;
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            unsigned unit = (uint8_t)bytes[i] | ((unsigned)(uint8_t)bytes[i + 1] << 8);
            if (unit >= 0xDC00 && unit <= 0xDFFF)
                continue; /* the second half of a pair already became '?' */
            text += unit <= 0xFF ? (char)unit : '?';
        }
        return text;
    }
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        *encoding = EncodingUtf8Mark;
        return bytes.substr(3);
    }
    *encoding = EncodingPlain;
    return bytes;
}

std::string TrimRight(const std::string& line) {
    size_t end = line.find_last_not_of(" \t\r");
    return end == std::string::npos ? "" : line.substr(0, end + 1);
}

std::string TrimLeft(const std::string& line) {
    size_t start = line.find_first_not_of(" \t");
    return start == std::string::npos ? "" : line.substr(start);
}

/* Lines with the hex continuations ("...,\" and an indented next line)
 * joined into one. */
std::vector<std::string> LogicalLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    bool continuing = false;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = TrimRight(text.substr(start, end - start));
        if (continuing)
            lines.back() += TrimLeft(line);
        else
            lines.push_back(TrimLeft(line));
        std::string& last = lines.back();
        continuing = !last.empty() && last.back() == '\\' && last.find("=hex") != std::string::npos;
        if (continuing)
            last.pop_back();
        start = end + 1;
    }
    return lines;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = (char)tolower((unsigned char)c);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>* bytes) {
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ',' || text[i] == ' ' || text[i] == '\t') {
            i++;
            continue;
        }
        if (text[i] == ';')
            break;
        if (i + 1 >= text.size() || HexDigit(text[i]) < 0 || HexDigit(text[i + 1]) < 0)
            return false;
        bytes->push_back((uint8_t)(HexDigit(text[i]) * 16 + HexDigit(text[i + 1])));
        i += 2;
    }
    return true;
}

/* A quoted string from position *at (just after its opening quote); moves
 * *at past the closing quote. The export escapes only \ and ". */
bool ParseQuoted(const std::string& line, size_t* at, std::string* text) {
    size_t i = *at;
    while (i < line.size() && line[i] != '"') {
        if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '\\' || line[i + 1] == '"'))
            i++;
        *text += line[i];
        i++;
    }
    if (i >= line.size())
        return false;
    *at = i + 1;
    return true;
}

bool IsTextType(uint32_t type) {
    return type == RegistryTypeText || type == RegistryTypeExpandText || type == 7;
}

std::vector<uint8_t> FromUtf16(const std::vector<uint8_t>& wide) {
    std::vector<uint8_t> narrow;
    for (size_t i = 0; i + 1 < wide.size(); i += 2) {
        unsigned unit = wide[i] | ((unsigned)wide[i + 1] << 8);
        narrow.push_back(unit <= 0xFF ? (uint8_t)unit : (uint8_t)'?');
    }
    return narrow;
}

std::vector<uint8_t> ToUtf16(const std::vector<uint8_t>& narrow) {
    std::vector<uint8_t> wide;
    for (uint8_t byte : narrow) {
        wide.push_back(byte);
        wide.push_back(0);
    }
    return wide;
}

/* The data after "=": sets *remove for "-". False when it is malformed. */
bool ParseData(const std::string& data, bool version5, uint32_t* type, std::vector<uint8_t>* bytes,
               bool* remove) {
    *remove = false;
    if (data == "-") {
        *remove = true;
        return true;
    }
    if (!data.empty() && data[0] == '"') {
        size_t at = 1;
        std::string text;
        if (!ParseQuoted(data, &at, &text))
            return false;
        *type = RegistryTypeText;
        bytes->assign(text.begin(), text.end());
        bytes->push_back(0);
        return true;
    }
    std::string lower = Lower(data);
    if (lower.compare(0, 6, "dword:") == 0) {
        std::string digits = TrimRight(data.substr(6));
        if (digits.empty() || digits.size() > 8)
            return false;
        uint32_t number = 0;
        for (char c : digits) {
            if (HexDigit(c) < 0)
                return false;
            number = number * 16 + (uint32_t)HexDigit(c);
        }
        *type = RegistryTypeNumber;
        for (int i = 0; i < 4; i++)
            bytes->push_back((uint8_t)(number >> (8 * i)));
        return true;
    }
    size_t colon = lower.find(':');
    if (lower.compare(0, 3, "hex") != 0 || colon == std::string::npos)
        return false;
    *type = RegistryTypeBinary;
    if (lower[3] == '(') {
        unsigned long parsed = strtoul(lower.c_str() + 4, nullptr, 16);
        *type = (uint32_t)parsed;
    } else if (colon != 3) {
        return false;
    }
    if (!ParseHexBytes(data.substr(colon + 1), bytes))
        return false;
    if (version5 && IsTextType(*type))
        *bytes = FromUtf16(*bytes);
    return true;
}

bool ParseHivePrefix(const std::string& path, int* hive, std::string* rest) {
    size_t slash = path.find('\\');
    std::string root = Lower(path.substr(0, slash));
    *rest = slash == std::string::npos ? "" : path.substr(slash + 1);
    for (int i = 0; i < 4; i++) {
        if (root == Lower(HiveNames[i]) || root == Lower(HiveShortNames[i])) {
            *hive = i;
            return true;
        }
    }
    return false;
}

struct ImportCursor {
    int hive = -1; /* -1: no key, or one under an unknown root */
    std::string lowerPath;
};

void ImportKeyLine(const std::string& line, ImportCursor* cursor) {
    size_t close = line.rfind(']');
    std::string inside = line.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    bool remove = !inside.empty() && inside[0] == '-';
    std::string rest;
    int hive;
    cursor->hive = -1;
    if (!ParseHivePrefix(remove ? inside.substr(1) : inside, &hive, &rest))
        return;
    std::string lower = Lower(TrimSlashes(rest));
    if (remove) {
        if (!lower.empty())
            RemoveKeyTree(hive, lower);
        return;
    }
    MakeKey(hive, rest);
    cursor->hive = hive;
    cursor->lowerPath = lower;
}

void ImportValueLine(const std::string& line, const ImportCursor& cursor, bool version5) {
    std::string name;
    size_t at = 1;
    if (line[0] == '"' && !ParseQuoted(line, &at, &name))
        return;
    at = line.find_first_not_of(" \t", at);
    if (at == std::string::npos || line[at] != '=' || cursor.hive < 0)
        return;
    uint32_t type = 0;
    std::vector<uint8_t> bytes;
    bool remove;
    if (!ParseData(TrimLeft(line.substr(at + 1)), version5, &type, &bytes, &remove))
        return;
    OpenKey open = {true, cursor.hive, cursor.lowerPath, true};
    RegKey* key = KeyOfHandle(&open, !remove);
    if (key == nullptr)
        return;
    if (remove)
        RemoveValue(key, name);
    else
        StoreValue(key, name, type, bytes);
}

/* ---- .reg text: writing ---- */

std::string Quote(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

/* Text the quoted form can carry: one terminating zero and no line breaks. */
bool IsPlainText(const RegValue& value) {
    const std::vector<uint8_t>& data = value.data;
    if (value.type != RegistryTypeText || data.empty() || data.back() != 0)
        return false;
    for (size_t i = 0; i + 1 < data.size(); i++) {
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n')
            return false;
    }
    return true;
}

/* hex: lists wrap before 80 columns with a backslash, as the editor's do. */
std::string HexList(const std::string& lead, const std::vector<uint8_t>& bytes) {
    std::string out = lead;
    size_t lineStart = 0;
    char pair[4];
    for (size_t i = 0; i < bytes.size(); i++) {
        snprintf(pair, sizeof pair, "%02x", bytes[i]);
        out += pair;
        if (i + 1 == bytes.size())
            break;
        out += ',';
        if (out.size() - lineStart >= 76) {
            out += "\\\r\n  ";
            lineStart = out.size() - 2;
        }
    }
    return out;
}

std::string ValueLine(const RegValue& value, bool version5) {
    std::string lead = value.name.empty() ? "@=" : Quote(value.name) + "=";
    if (IsPlainText(value))
        return lead + Quote(std::string(value.data.begin(), value.data.end() - 1));
    if (value.type == RegistryTypeNumber && value.data.size() == 4) {
        uint32_t number = 0;
        for (int i = 3; i >= 0; i--)
            number = number << 8 | value.data[(size_t)i];
        char digits[16];
        snprintf(digits, sizeof digits, "dword:%08x", number);
        return lead + digits;
    }
    if (value.type == RegistryTypeBinary)
        return HexList(lead + "hex:", value.data);
    char typed[16];
    snprintf(typed, sizeof typed, "hex(%x):", value.type);
    bool wide = version5 && IsTextType(value.type);
    return HexList(lead + typed, wide ? ToUtf16(value.data) : value.data);
}

/* Keys that only lead to others are left out: importing a key makes its
 * parents anyway. */
bool WorthWriting(int hive, const std::string& lowerPath, const RegKey& key) {
    if (!key.values.empty())
        return true;
    return !lowerPath.empty() && !HasSubkeys(hive, lowerPath);
}

std::string EncodeFile(const std::string& text, FileEncoding encoding) {
    if (encoding == EncodingPlain)
        return text;
    if (encoding == EncodingUtf8Mark)
        return "\xEF\xBB\xBF" + text;
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

} // namespace

/* ---- The seam ---- */

RegistryKeyHandle PlatformOpenRegistryKey(RegistryHive hive, const char* keyPath, bool fullAccess) {
    int index = HiveIndex(hive);
    std::string lower = Lower(TrimSlashes(keyPath));
    if (!KeyExists(index, lower) || (fullAccess && registry->hives[index].readOnly))
        return nullptr;
    return NewHandle(index, lower, fullAccess);
}

RegistryKeyHandle PlatformCreateRegistryKey(RegistryHive hive, const char* keyPath) {
    int index = HiveIndex(hive);
    if (registry->hives[index].readOnly)
        return nullptr;
    if (MakeKey(index, keyPath))
        AdvanceRevision();
    return NewHandle(index, Lower(TrimSlashes(keyPath)), true);
}

void PlatformCloseRegistryKey(RegistryKeyHandle handle) {
    OpenKey* open = LookupHandle(handle);
    if (open != nullptr)
        open->inUse = false;
}

bool PlatformSetRegistryValue(RegistryKeyHandle handle, const char* name, uint32_t type,
                              const void* data, uint32_t size) {
    OpenKey* open = LookupHandle(handle);
    RegKey* key = open != nullptr && open->fullAccess ? KeyOfHandle(open, true) : nullptr;
    if (key == nullptr)
        return false;
    const uint8_t* bytes = (const uint8_t*)data;
    std::vector<uint8_t> copy(bytes, bytes + size);
    if (StoreValue(key, name, type, copy))
        AdvanceRevision();
    registry->writes.push_back(std::string(HiveShortNames[open->hive]) + "\\" + key->path + "\\" +
                               name);
    return true;
}

int PlatformQueryRegistryValue(RegistryKeyHandle handle, const char* name, uint32_t* type,
                               void* data, uint32_t capacity) {
    OpenKey* open = LookupHandle(handle);
    RegKey* key = open != nullptr ? KeyOfHandle(open, false) : nullptr;
    RegValue* value = key != nullptr ? FindValue(key, name) : nullptr;
    if (value == nullptr || value->data.size() > capacity)
        return -1;
    *type = value->type;
    if (!value->data.empty())
        memcpy(data, value->data.data(), value->data.size());
    return (int)value->data.size();
}

bool PlatformDeleteRegistryValue(RegistryKeyHandle handle, const char* name) {
    OpenKey* open = LookupHandle(handle);
    RegKey* key = open != nullptr && open->fullAccess ? KeyOfHandle(open, false) : nullptr;
    if (key == nullptr || !RemoveValue(key, name))
        return false;
    AdvanceRevision();
    return true;
}

bool PlatformDeleteRegistryKey(RegistryHive hive, const char* keyPath) {
    int index = HiveIndex(hive);
    std::string lower = Lower(TrimSlashes(keyPath));
    if (registry->hives[index].readOnly || lower.empty() || FindKey(index, lower) == nullptr ||
        HasSubkeys(index, lower))
        return false;
    KeepParentOf(index, lower);
    registry->hives[index].keys.erase(lower);
    AdvanceRevision();
    return true;
}

/* ---- Control ---- */

void SimResetRegistry(void) {
    delete registry;
    registry = new Registry;
}

bool SimImportRegistryText(const std::string& fileBytes) {
    FileEncoding encoding;
    std::vector<std::string> lines = LogicalLines(DecodeFile(fileBytes, &encoding));
    size_t first = 0;
    while (first < lines.size() && lines[first].empty())
        first++;
    if (first == lines.size())
        return false;
    bool version5 = lines[first] == Version5Header;
    if (!version5 && lines[first] != Version4Header)
        return false;
    registry->encoding = encoding;
    registry->version5 = version5;
    ImportCursor cursor;
    for (size_t i = first + 1; i < lines.size(); i++) {
        const std::string& line = lines[i];
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[')
            ImportKeyLine(line, &cursor);
        else if (line[0] == '"' || line[0] == '@')
            ImportValueLine(line, cursor, version5);
    }
    AdvanceRevision();
    return true;
}

SimRegistryFileStatus SimImportRegistryFile(const char* path) {
    std::string bytes;
    switch (SimReadPlainFile(path, SimRegistryFileLimit, &bytes)) {
    case SimFileMissing:
        return SimRegistryFileMissing;
    case SimFileNotPlain:
        return SimRegistryFileNotPlain;
    case SimFileTooLarge:
        return SimRegistryFileTooLarge;
    case SimFileUnreadable:
        return SimRegistryFileInvalid;
    case SimFileReadOk:
        break;
    }
    return SimImportRegistryText(bytes) ? SimRegistryFileLoaded : SimRegistryFileInvalid;
}

std::string SimExportRegistryText(void) {
    std::string text = registry->version5 ? Version5Header : Version4Header;
    text += "\r\n\r\n";
    for (int hive = 0; hive < 4; hive++) {
        for (const auto& entry : registry->hives[hive].keys) {
            if (!WorthWriting(hive, entry.first, entry.second))
                continue;
            text += "[" + std::string(HiveNames[hive]);
            text += entry.second.path.empty() ? "]\r\n" : "\\" + entry.second.path + "]\r\n";
            for (const RegValue* value : ValuesInOrder(entry.second))
                text += ValueLine(*value, registry->version5) + "\r\n";
            text += "\r\n";
        }
    }
    return EncodeFile(text, registry->encoding);
}

/* Written beside the file and then renamed over it, so an interrupted save
 * never leaves the settings half written. */
bool SimSaveRegistryFile(const char* path) {
    std::string bytes = SimExportRegistryText();
    std::string temporary = std::string(path) + ".new";
    FILE* file = SimCreatePlainFile(temporary.c_str());
    if (file == nullptr)
        return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    written = fclose(file) == 0 && written;
    if (!written || rename(temporary.c_str(), path) != 0) {
        remove(temporary.c_str());
        return false;
    }
    return true;
}

void SimSetRegistryReadOnly(RegistryHive hive, bool readOnly) {
    registry->hives[HiveIndex(hive)].readOnly = readOnly;
}

std::string SimRegistryValue::text() const {
    std::string text(data.begin(), data.end());
    size_t zero = text.find('\0');
    return zero == std::string::npos ? text : text.substr(0, zero);
}

SimRegistryValue SimGetRegistryValue(RegistryHive hive, const char* keyPath, const char* name) {
    SimRegistryValue result = {false, 0, {}};
    RegKey* key = FindKey(HiveIndex(hive), Lower(TrimSlashes(keyPath)));
    RegValue* value = key != nullptr ? FindValue(key, name) : nullptr;
    if (value != nullptr)
        result = SimRegistryValue{true, value->type, value->data};
    return result;
}

bool SimRegistryKeyExists(RegistryHive hive, const char* keyPath) {
    return KeyExists(HiveIndex(hive), Lower(TrimSlashes(keyPath)));
}

uint32_t SimRegistryRevision(void) {
    return registry->revision;
}

int SimOpenRegistryKeyCount(void) {
    int count = 0;
    for (const OpenKey& open : registry->handles)
        count += open.inUse ? 1 : 0;
    return count;
}

const std::vector<std::string>& SimRegistryWrites(void) {
    return registry->writes;
}
