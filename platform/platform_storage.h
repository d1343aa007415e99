/*
 * platform_storage.h: what lasts beyond a run and what text is made of:
 * the registry, the program file, file dialogs and safe saving, the log's
 * files, the shell, and text in the system's code page. Part of the one
 * platform seam; included through platform/platform.h.
 */
#ifndef MIRLOW_PLATFORM_STORAGE_H
#define MIRLOW_PLATFORM_STORAGE_H

#ifndef MIRLOW_PLATFORM_H
#error "include platform/platform.h, which includes this"
#endif

/* ---- Registry ----
 * Keys are named by a root and a path below it ("SOFTWARE\Mirlow"); an
 * empty path is the root itself. Key paths and value names compare without
 * regard to case; an empty value name is the key's default value. Value
 * types keep the system's numbers. A key handle is closed by the caller.
 */
enum RegistryHive {
    HiveClassesRoot,
    HiveCurrentUser,
    HiveLocalMachine,
    HiveUsers,
};
enum : uint32_t {
    RegistryTypeText = 1,       /* REG_SZ */
    RegistryTypeExpandText = 2, /* REG_EXPAND_SZ, stored unexpanded */
    RegistryTypeBinary = 3,     /* REG_BINARY */
    RegistryTypeNumber = 4,     /* REG_DWORD, little-endian */
};
struct PlatformRegistryKeyTag;
typedef PlatformRegistryKeyTag* RegistryKeyHandle;

/* Opens an existing key, with full access or for reading values only.
 * Null when it does not exist or access is denied. */
RegistryKeyHandle PlatformOpenRegistryKey(RegistryHive hive, const char* keyPath, bool fullAccess);
/* Opens a key with full access, creating it (and missing parents) as a
 * lasting key when it does not exist. Null on failure. */
RegistryKeyHandle PlatformCreateRegistryKey(RegistryHive hive, const char* keyPath);
void PlatformCloseRegistryKey(RegistryKeyHandle key);
bool PlatformSetRegistryValue(RegistryKeyHandle key, const char* name, uint32_t type,
                              const void* data, uint32_t size);
/* Copies a value of at most capacity bytes into data and its type into
 * *type; returns its size in bytes, or -1 when it is missing or larger. */
int PlatformQueryRegistryValue(RegistryKeyHandle key, const char* name, uint32_t* type, void* data,
                               uint32_t capacity);
bool PlatformDeleteRegistryValue(RegistryKeyHandle key, const char* name);
/* Deletes a key that has no subkeys. */
bool PlatformDeleteRegistryKey(RegistryHive hive, const char* keyPath);

/* ---- The program file ----
 * The full path of the running program file, or -1 when there is none or
 * it does not fit in size bytes (never a cut path). Returns its length. */
int PlatformProgramPath(char* buffer, int size);

/* ---- Documents: file dialogs, saving files safely, menu items, focus ----
 * PlatformFileDialog shows the system's Open (saveMode false) or Save
 * dialog owned by owner. filters holds NUL-separated description and
 * pattern pairs ending in two NULs; *filterIndex (from 1) is the pair
 * selected at first and receives the one the user left selected. path
 * (size bytes) holds the initial name and receives the choice. The
 * system's own overwrite prompt is not asked for.
 *
 * Paths travel in the system's ANSI code page. A name the user chose may
 * hold characters that the code page lacks; the system would hand such a
 * name over with look-alike characters put in (a best fit), which names
 * another file, so it is never handed over as a choice. When the dialog
 * is cancelled path is untouched; when the choice is refused path holds it
 * for a message only: with "?" for each character the code page lacks, or
 * cut to fit.
 */
enum FileDialogOutcome {
    FileDialogCancelled,
    FileDialogChosen,
    FileDialogTooLong,       /* the choice does not fit in path */
    FileDialogNotInCodePage, /* the choice holds characters the code page lacks */
};
FileDialogOutcome PlatformFileDialog(WindowHandle owner, bool saveMode, const char* filters,
                                     int* filterIndex, char* path, int size);

/* How one of the file operations below ended. Another program may
 * hold a file for a moment (a virus scanner, the search indexer, a sync
 * client): the system then refuses with a sharing violation or with
 * access denied, and the same request may succeed a little later. */
enum FileOutcome {
    FileDone,
    FileNameTaken, /* a file or folder of that name exists */
    FileBusy,      /* a sharing violation or access denied: worth asking again */
    FileFailed,    /* any other reason */
    FileSetAside,  /* PlatformReplaceFile stopped half way: see there */
};

/* Creates a file for writing that must not exist yet (so a name taken by
 * another file is never overwritten) and opens it as a binary stdio
 * stream in *file; what is written goes through to the disk. */
FileOutcome PlatformCreateNewFile(const char* path, FILE** file);

/* Puts the file at source in the place of target, replacing any file
 * there, and returns once the move is on the disk: target then holds
 * either its old content or all of source, never a mixture. An existing
 * target keeps its security settings, attributes and creation time; where
 * the system cannot carry them over (the target is new, or the file
 * system refuses), the file is renamed instead. On the way the old target
 * takes the name backup, a name that is free, and is deleted once it is
 * done. All three lie in the same folder. Unless it is done, both files
 * are as they were, with one exception: the system may stop half way,
 * with the old target under backup, source still under its own name and
 * no file under the target's name (FileSetAside); the caller then puts
 * one of them in its place. */
FileOutcome PlatformReplaceFile(const char* source, const char* target, const char* backup);

/* Gives the file at source the name target, which must be free (a file
 * there is never replaced), and returns once the move is on the disk.
 * Both lie in the same folder. */
FileOutcome PlatformMoveFile(const char* source, const char* target);

/* Why the last of the operations above did not succeed, in the system's
 * own words with its error number (size bytes, terminated). */
void PlatformFileErrorText(char* text, int size);

/* ---- Files the log writes ----
 * PlatformOpenForAppend opens a plain file for appending, creating it when
 * it does not exist; null when it cannot be opened or names something
 * other than a plain file (a pipe, a device, a folder). It never waits for
 * another program at the far end of a pipe. PlatformDeletePlainFile
 * deletes a plain file and nothing else. PlatformSameFile tells whether
 * two paths name the same file, compared as Windows compares file names
 * (full paths, letter case ignored), or lead to one existing file (a
 * link, another name of it).
 */
FILE* PlatformOpenForAppend(const char* path);
bool PlatformDeletePlainFile(const char* path);
bool PlatformSameFile(const char* first, const char* second);
/* The path of file in folder inside the user's local application data
 * folder (where a standard user may always write), that folder made when
 * it is missing; its length, or -1 when there is no such folder, it
 * cannot be made, or the path does not fit in size bytes (never a cut
 * path). Where the folder's path holds characters the code page lacks,
 * the path is its short form; where the system keeps none, a path with
 * "?" for each such character (which no real file name holds) that
 * PlatformOpenForAppend and PlatformDeletePlainFile take for the file. */
int PlatformLocalAppDataFile(const char* folder, const char* file, char* path, int size);
/* ---- The shell ---- */

/* The shell's "open" of a document, a web address or a mail address, in a
 * normal window. Returns the shell's result: above 32 means success. */
int PlatformShellOpen(const char* target);
/* Starts the user's web browser on an address, by the command line the
 * browser registered for web addresses; the address is handed over whole,
 * fragment included, which the shell's open of a file: address does not
 * promise. Returns as PlatformShellOpen does, or 0 when no browser is
 * registered. */
int PlatformOpenInBrowser(const char* address);

/* ---- Text in the system's code page ----
 * The program holds text as 8-bit characters of the system's ANSI code
 * page (Windows-1252 on a Western system, and on the simulated desktop).
 * These calls are its only ways to and from UTF-8, so text that
 * arrives as Unicode (a script saved as UTF-8, typed characters) is
 * converted by one rule everywhere. */

/* Converts length bytes of text in the system's ANSI code page, as a
 * whole, and tells for each byte the UTF-16 unit that stands for it in
 * units[byte]: the character for the first byte of each character, and
 * for a character outside the Basic Multilingual Plane (two units) its
 * first unit there and its second for the character's second byte; 0 for
 * every other byte of a character of several bytes. A byte that is no
 * character of the code page stands for itself as U+FFFD. */
void PlatformTextUnits(const char* text, int length, uint16_t* units);

/* Converts zero-terminated text in the ANSI code page to UTF-8; false
 * when it does not fit in size bytes. */
bool PlatformAnsiToUtf8(const char* text, char* utf8, int size);

/* Converts length bytes of UTF-8 (zero bytes included) to the ANSI code
 * page, into ansi (size bytes, always terminated), and returns the length
 * of the result. A character the code page cannot hold is never replaced
 * by a look-alike or a question mark: the result is then -1 and *unheld
 * that character's Unicode code point. -1 with *unheld 0: the text is not
 * UTF-8, or the result does not fit. */
int PlatformUtf8ToAnsi(const char* utf8, int length, char* ansi, int size, uint32_t* unheld);

#endif
