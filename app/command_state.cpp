/*
 * command_state.cpp: which document and recorder commands are offered.
 * While a recording or a playback runs only Stop Recording is; with no
 * document, nothing that needs one is. Every enabled or grayed decision
 * about these items is taken here; a command's toolbar button, where it
 * has one, follows its menu item.
 */
#include "app/app.h"
#include "model/model.h"
#include "resources/resource.h"

enum Column { EmptyColumn, DocumentColumn, BusyColumn };
enum Cell { Off, On, Unchanged };

struct CommandStateRow {
    int command;
    Cell cells[3];
};

static const CommandStateRow commandStates[] = {
    {ID_RECORDER_START, {On, On, Off}},     {ID_FILE_OPEN, {On, On, Off}},
    {ID_RECORDER_STOP, {Off, Off, On}},     {ID_FILE_NEW, {Off, On, Off}},
    {ID_RECORDER_PLAYBACK, {Off, On, Off}}, {ID_FILE_CLOSE, {Off, On, Off}},
    {ID_FILE_SAVE, {Off, On, Off}},         {ID_FILE_SAVE_AS, {Off, On, Off}},
    {ID_FILE_RELOAD, {Off, On, Off}},       {ID_TOOLS_EDIT_SCRIPT, {Off, Unchanged, Unchanged}},
};

static int ColumnFor(int state) {
    switch (state) {
    case ID_FILE_NEW:
        return EmptyColumn;
    case ID_FILE_OPEN:
        return DocumentColumn;
    case ID_RECORDER_START:
        return BusyColumn;
    default:
        return -1;
    }
}

static void OfferRecentEntries(bool offered);

/* The column last set; none before the first. */
static int offeredColumn = -1;

void SetCommandState(int state) {
    int column = ColumnFor(state);
    if (column < 0 || gApp.commandLineMode)
        return;
    offeredColumn = column;
    for (const CommandStateRow& row : commandStates) {
        Cell cell = row.cells[column];
        if (cell != Unchanged) {
            PlatformSetMenuItemEnabled(gApp.mainWindow, row.command, cell == On);
            SetToolbarButtonEnabled(row.command, cell == On);
        }
    }
    OfferRecentEntries(column != BusyColumn);
}

bool IsCommandOffered(int command) {
    if (offeredColumn < 0)
        return false;
    for (const CommandStateRow& row : commandStates) {
        if (row.command == command)
            return row.cells[offeredColumn] == On;
    }
    return false;
}

/* ---- Items outside the table ---- */

/* A recent entry opens a file, which would load over the list being
 * recorded or played: the entries are off while busy, like Open. */
static void OfferRecentEntries(bool offered) {
    for (int command = ID_FILE_RECENT_1; command <= ID_FILE_RECENT_8; command++)
        PlatformSetMenuItemEnabled(gApp.mainWindow, command, offered);
}

void OfferEditScriptFor(const char* path) {
    if (!gApp.commandLineMode)
        PlatformSetMenuItemEnabled(gApp.mainWindow, ID_TOOLS_EDIT_SCRIPT,
                                   !IsBinaryRecordingPath(path));
}
