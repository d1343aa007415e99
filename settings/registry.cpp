/*
 * registry.cpp: the four registry operations on top of the platform's keys
 * and values.
 *
 * Each operation opens its key, does its one thing and closes the key
 * again; no handle outlives a call. Nothing here tells the user about a
 * failure: a read that fails yields the caller's fallback, a write reports
 * false and the caller decides.
 */
#include "settings/registry.h"

#include <cstring>

#include "platform/platform.h"

bool SplitRegistryPath(const char* path, char* keyPath, char* valueName) {
    keyPath[0] = '\0';
    valueName[0] = '\0';
    size_t length = strlen(path);
    if (length >= (size_t)RegistryPathSize)
        return false;
    const char* slash = strrchr(path, '\\');
    size_t keyLength = slash != nullptr ? (size_t)(slash - path) : 0;
    const char* name = slash != nullptr ? slash + 1 : path;
    memcpy(keyPath, path, keyLength);
    keyPath[keyLength] = '\0';
    strcpy(valueName, name);
    return true;
}

static int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

int HexTextToBytes(const char* text, uint8_t* bytes, int capacity) {
    int count = 0;
    size_t length = strlen(text);
    for (size_t at = 0; at + 1 < length && count < capacity; at += 3) {
        int high = HexDigitValue(text[at]);
        int low = HexDigitValue(text[at + 1]);
        if (high < 0 || low < 0)
            break;
        bytes[count++] = (uint8_t)(high * 16 + low);
    }
    return count;
}

/* The existing key with full access, or a new one. */
static RegistryKeyHandle OpenOrCreateKey(RegistryHive hive, const char* keyPath) {
    RegistryKeyHandle key = PlatformOpenRegistryKey(hive, keyPath, true);
    return key != nullptr ? key : PlatformCreateRegistryKey(hive, keyPath);
}

static bool StoreData(RegistryKeyHandle key, const char* name, int kind, const char* text,
                      int32_t number) {
    if (kind == KindNumber) {
        uint8_t data[4];
        for (int i = 0; i < 4; i++)
            data[i] = (uint8_t)((uint32_t)number >> (8 * i));
        return PlatformSetRegistryValue(key, name, RegistryTypeNumber, data, 4);
    }
    if (text == nullptr)
        return true; /* the key exists now, which was all that was asked */
    if (kind == KindBinary) {
        uint8_t data[MaxBinaryValueBytes];
        int count = HexTextToBytes(text, data, MaxBinaryValueBytes);
        return PlatformSetRegistryValue(key, name, RegistryTypeBinary, data, (uint32_t)count);
    }
    uint32_t type = strchr(text, '%') != nullptr ? RegistryTypeExpandText : RegistryTypeText;
    return PlatformSetRegistryValue(key, name, type, text, (uint32_t)strlen(text) + 1);
}

bool WriteRegistryValue(RegistryHive hive, const char* path, int kind, const char* text,
                        int32_t number) {
    char keyPath[RegistryPathSize];
    char valueName[RegistryPathSize];
    if (!SplitRegistryPath(path, keyPath, valueName))
        return false;
    RegistryKeyHandle key = OpenOrCreateKey(hive, keyPath);
    if (key == nullptr)
        return false;
    bool stored = StoreData(key, valueName, kind, text, number);
    PlatformCloseRegistryKey(key);
    return stored;
}

/* Up to 4 bytes, little-endian; a shorter value fills the low bytes. */
static bool QueryNumber(RegistryKeyHandle key, const char* name, int32_t* number) {
    uint8_t data[4] = {0, 0, 0, 0};
    uint32_t type;
    if (PlatformQueryRegistryValue(key, name, &type, data, 4) < 0)
        return false;
    *number = (int32_t)((uint32_t)data[0] | (uint32_t)data[1] << 8 | (uint32_t)data[2] << 16 |
                        (uint32_t)data[3] << 24);
    return true;
}

/* Text as stored, with or without its terminating zero; only a text type
 * counts, so a number is never taken for a path. */
static bool QueryText(RegistryKeyHandle key, const char* name, char* buffer, int bufferSize) {
    char data[RegistryTextSize + 1];
    uint32_t type;
    int size = PlatformQueryRegistryValue(key, name, &type, data, RegistryTextSize);
    if (size < 0 || (type != RegistryTypeText && type != RegistryTypeExpandText))
        return false;
    data[size] = '\0';
    size_t length = strlen(data);
    if (buffer == nullptr)
        return true;
    if (bufferSize <= 0 || length >= (size_t)bufferSize)
        return false;
    memcpy(buffer, data, length + 1);
    return true;
}

bool TryReadRegistryValue(RegistryHive hive, const char* path, int kind, char* buffer,
                          int bufferSize, int32_t* number) {
    if (buffer != nullptr && bufferSize > 0)
        buffer[0] = '\0';
    char keyPath[RegistryPathSize];
    char valueName[RegistryPathSize];
    if (!SplitRegistryPath(path, keyPath, valueName))
        return false;
    RegistryKeyHandle key = PlatformOpenRegistryKey(hive, keyPath, false);
    if (key == nullptr)
        return false;
    bool read;
    if (kind == KindBinary || kind == KindNumber) {
        read = QueryNumber(key, valueName, number);
    } else {
        read = QueryText(key, valueName, buffer, bufferSize);
        if (read)
            *number = 0;
    }
    PlatformCloseRegistryKey(key);
    return read;
}

int32_t ReadRegistryValue(RegistryHive hive, const char* path, int kind, char* buffer,
                          int bufferSize, int32_t fallback) {
    int32_t number;
    return TryReadRegistryValue(hive, path, kind, buffer, bufferSize, &number) ? number : fallback;
}

/* The key named by the whole path: the value path with any trailing
 * backslashes dropped. */
static void WholePathAsKey(const char* path, char* keyPath) {
    strcpy(keyPath, path);
    size_t length = strlen(keyPath);
    while (length > 0 && keyPath[length - 1] == '\\')
        keyPath[--length] = '\0';
}

void DeleteRegistryValue(RegistryHive hive, const char* path) {
    char keyPath[RegistryPathSize];
    char valueName[RegistryPathSize];
    if (!SplitRegistryPath(path, keyPath, valueName))
        return;
    RegistryKeyHandle key = PlatformOpenRegistryKey(hive, keyPath, true);
    if (key == nullptr)
        return;
    bool deleted = PlatformDeleteRegistryValue(key, valueName);
    PlatformCloseRegistryKey(key);
    if (deleted)
        return;
    char wholeKey[RegistryPathSize];
    WholePathAsKey(path, wholeKey);
    if (wholeKey[0] != '\0')
        PlatformDeleteRegistryKey(hive, wholeKey);
}
