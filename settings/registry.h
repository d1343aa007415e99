/*
 * registry.h: the program's four registry operations.
 *
 * A value is named by one path: the key path, a backslash and the value
 * name ("SOFTWARE\Mirlow\Speed"); a path that ends in a backslash names the
 * key's default value. Every registry access of the program goes through
 * these, so the rules for kinds, key creation and deletion live in one
 * place.
 */
#ifndef MIRLOW_REGISTRY_H
#define MIRLOW_REGISTRY_H

#include <cstdint>

#include "platform/platform.h"

/* How a value's data is handed over. Any kind other than these two is
 * text: REG_EXPAND_SZ when it contains "%", REG_SZ otherwise. */
enum ValueKind { KindBinary = 1, KindNumber = 2, KindText = 3 };

const int RegistryPathSize = 256; /* a value path: 255 characters and the zero */
const int MaxBinaryValueBytes = 256;
/* The most text a read takes, zero included: room for any path the
 * program stores (a recent file of 259 characters must read back), and
 * for a longer one, so it can be named when it is refused. */
const int RegistryTextSize = 1024;

/* Splits path at its last backslash into keyPath and valueName (each of
 * RegistryPathSize bytes); a path without one is all value name. False,
 * with both empty, when the path is longer than 255 characters. */
bool SplitRegistryPath(const char* path, char* keyPath, char* valueName);

/* Converts hexadecimal text to bytes, three characters a step: two hex
 * digits (either case) and one separator of any kind. Stops at the end of
 * the text, at a pair that is not two hex digits, or after capacity bytes.
 * Returns the number of bytes. */
int HexTextToBytes(const char* text, uint8_t* bytes, int capacity);

/* Opens or creates the key and stores the value. With text null (for the
 * binary and text kinds) it only makes sure the key exists. True when the
 * value (or the key) was stored. */
bool WriteRegistryValue(RegistryHive hive, const char* path, int kind, const char* text,
                        int32_t number);

/* Reads a value. Binary and number kinds: up to 4 bytes as a number, the
 * stored type unchecked. Text kind: REG_SZ or REG_EXPAND_SZ of at most 1,023
 * characters (never expanded), copied into buffer (bufferSize bytes) when
 * it fits, and 0 is returned. Whatever can't be read, including text too
 * long for the buffer, yields fallback and leaves the buffer empty. */
int32_t ReadRegistryValue(RegistryHive hive, const char* path, int kind, char* buffer,
                          int bufferSize, int32_t fallback);

/* As ReadRegistryValue, but says whether the value could be read; the
 * number (0 for text) goes to *number when it could. */
bool TryReadRegistryValue(RegistryHive hive, const char* path, int kind, char* buffer,
                          int bufferSize, int32_t* number);

/* Deletes the value; when there is no such value, deletes instead the key
 * the whole path names, if it has no subkeys. Failures are not reported. */
void DeleteRegistryValue(RegistryHive hive, const char* path);

#endif
