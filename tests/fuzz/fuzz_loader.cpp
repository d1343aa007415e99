// The checks every fuzzed load must pass. See fuzz_loader.h.
#include "tests/fuzz/fuzz_loader.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "model/model.h"
#include "platform/sim/sim_control.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

std::string folder;

void RemoveFolder(void) {
    for (const char* name : {"/input.mrx", "/input.mrl"})
        unlink((folder + name).c_str());
    rmdir(folder.c_str());
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, strlen(prefix), prefix) == 0;
}

bool IsFailureMessage(const std::string& text) {
    return StartsWith(text, "Unable to open file ") ||
           StartsWith(text, "Unable to load the script ") ||
           text == "Improperly formatted EVENT command (missing paramH)" ||
           text == "Improperly formatted EVENT command (missing paramL)" ||
           text == "Unknown or incorrectly formatted command!" ||
           text == "Improperly formatted window line";
}

const char* const TooManyCommands =
    "Too many script commands!\n\nThe maximum number of script commands is 2047";

// Every command sits on its own placeholder, in file order.
void CheckCommandTable(void) {
    int32_t previous = -1;
    for (int i = 0; i < gRecording.commandCount; i++) {
        ScriptCommand command = GetScriptCommand(i);
        Require(command.anchor > previous && command.anchor < gRecording.eventCount,
                "anchors increase inside the list");
        Require(gRecording.events[command.anchor].message == 0, "an anchor holds a placeholder");
        Require(command.kind >= CommandStart && command.kind <= CommandWindowClick,
                "a loaded command has a kind");
        Require(strnlen(command.text, ScriptTextSize) < (size_t)ScriptTextSize,
                "a command text fits its slot");
        previous = command.anchor;
    }
}

// Window notes belong to events of the list, one each, in order, and
// refer to descriptions that exist.
void CheckWindowNotes(void) {
    const WindowNoteTable* windows = gRecording.windows;
    int32_t previous = -1;
    for (int32_t i = 0; i < windows->noteCount; i++) {
        Require(windows->anchors[i] > previous && windows->anchors[i] < gRecording.eventCount,
                "note anchors increase inside the list");
        int32_t description = windows->notes[i].description;
        Require(description >= 0 && description < windows->descriptionCount,
                "a note's description exists");
        previous = windows->anchors[i];
    }
    for (int32_t i = 0; i < windows->descriptionCount; i++) {
        const WindowDescription& d = windows->descriptions[i];
        Require(strnlen(d.title, WindowTitleSize) < (size_t)WindowTitleSize &&
                    strnlen(d.className, WindowClassSize) < (size_t)WindowClassSize &&
                    strnlen(d.program, WindowProgramSize) < (size_t)WindowProgramSize,
                "a description's texts fit their fields");
    }
}

// A load leaves what it read followed by zeros.
void CheckListEndsInZeros(void) {
    const char* tail = (const char*)(gRecording.events + gRecording.eventCount);
    size_t bytes = sizeof(EventRecord) * (size_t)(MaxEvents - gRecording.eventCount);
    Require(tail[0] == 0 && memcmp(tail, tail + 1, bytes - 1) == 0,
            "the list is zero after its valid entries");
}

// The records a footer of window notes at the end of the file claims for
// them, or 0 when the last record is no such footer.
size_t NoteRecords(const uint8_t* data, size_t size) {
    EventRecord footer;
    if (size < 2 * sizeof footer || size % sizeof footer != 0)
        return 0;
    memcpy(&footer, data + size - sizeof footer, sizeof footer);
    bool claims = footer.message == 0 && footer.paramL == 0x576C724D && footer.paramH == 1 &&
                  footer.time >= 2 && footer.time <= size / sizeof footer;
    return claims ? footer.time : 0;
}

size_t AtMostLoaded(size_t records) {
    return records < (size_t)MaxLoadedEvents ? records : (size_t)MaxLoadedEvents;
}

void CheckBinaryLoad(const uint8_t* data, size_t size, int result) {
    size_t records = (size + sizeof(EventRecord) - 1) / sizeof(EventRecord);
    bool loads = size > 0 && (size % sizeof(EventRecord) == 0 || records > (size_t)MaxLoadedEvents);
    Require((result == 0) == loads, "a binary load fails exactly on a short record");
    if (result != 0)
        return;
    Require(gRecording.commandCount == 0, "a binary load has no commands");
    size_t loaded = (size_t)gRecording.eventCount;
    size_t noteRecords = NoteRecords(data, size);
    Require(loaded == AtMostLoaded(records) ||
                (noteRecords > 0 && loaded == AtMostLoaded(records - noteRecords)),
            "every whole record up to the limit is loaded, but the window notes");

    Require(memcmp(gRecording.events, data, sizeof(EventRecord) * (size_t)gRecording.eventCount) ==
                0,
            "records load byte for byte");
}

} // namespace

void PrepareLoaderFuzzing(void) {
    SimReset();
    Require(AllocateRecording() == AllocationSucceeded, "the recording's buffers are obtained");
    folder = MakeFuzzFolder(RemoveFolder);
}

void FuzzOneLoad(const uint8_t* data, size_t size, const char* extension) {
    std::string path = folder + "/input" + extension;
    FILE* file = fopen(path.c_str(), "wb");
    Require(file != nullptr, "the input file is written");
    fwrite(data, 1, size, file);
    fclose(file);

    SimClearMessageBoxes();
    int result = LoadRecording(path.c_str(), true);
    const std::vector<SimMessageBox>& boxes = SimMessageBoxes();

    Require(result >= -1 && result <= MaxLoadedCommands, "the result is -1 or a command count");
    Require(gRecording.eventCount >= 0 && gRecording.eventCount <= MaxLoadedEvents,
            "the list stays within the load limit");
    if (result < 0) {
        Require(boxes.size() == 1 && IsFailureMessage(boxes[0].text),
                "a failure shows one message");
        Require(gRecording.eventCount == 0 && gRecording.commandCount == 0 &&
                    gRecording.windows->noteCount == 0,
                "a failed load leaves an empty recording");
    } else if (!boxes.empty()) {
        bool commands = result == MaxLoadedCommands && boxes[0].text == TooManyCommands;
        bool events = gRecording.eventCount == MaxLoadedEvents &&
                      StartsWith(boxes[0].text, "Too many events!");
        Require(boxes.size() == 1 && (commands || events), "a load cut at a limit: one notice");
        Require(LastLoadWasCut(), "a load cut at a limit is remembered");
    } else {
        Require(!LastLoadWasCut(), "a clean load shows nothing");
    }
    Require(result < 0 || result == gRecording.commandCount, "the result counts the commands");
    if (result >= 0)
        CheckListEndsInZeros();
    CheckCommandTable();
    CheckWindowNotes();
    if (strcmp(extension, ".mrl") == 0)
        CheckBinaryLoad(data, size, result);
}
