/*
 * sim_menus.cpp: the menus of the simulated desktop's windows.
 *
 * A window of a class with a menu gets its own copy of that menu as the
 * resource script writes it (sim_resource_script.cpp): its popups, items,
 * texts, separators, and the items that start grayed or checked. The
 * program changes the copy as it changes a real menu: states by command
 * identifier wherever the item is, items inserted after another item of a
 * popup of the bar and deleted by identifier. An identifier no item has
 * changes nothing, so what the program does to an item that is not there
 * is seen as on Windows.
 */
#include "platform/sim/sim_control.h"
#include "platform/sim/sim_internal.h"

#include <map>

namespace {

typedef std::vector<SimMenuItem> MenuItems;

std::map<WindowHandle, MenuItems>* menus = new std::map<WindowHandle, MenuItems>;

/* The window's menu bar; null when it has none or is gone. */
MenuItems* BarOf(WindowHandle window) {
    auto found = menus->find(window);
    if (found == menus->end() || !SimWindowIsLive(window))
        return nullptr;
    return &found->second;
}

/* The list that holds the item with that identifier, among the items or
 * in the popups among them, depth first, as the system looks for an item
 * by command; and the item's place in it. */
bool FindItem(MenuItems* items, int commandId, MenuItems** list, size_t* position) {
    for (size_t i = 0; i < items->size(); i++) {
        SimMenuItem& item = (*items)[i];
        if (commandId != 0 && item.id == commandId) {
            *list = items;
            *position = i;
            return true;
        }
        if (FindItem(&item.items, commandId, list, position))
            return true;
    }
    return false;
}

SimMenuItem* ItemOf(WindowHandle window, int commandId) {
    MenuItems* bar = BarOf(window);
    MenuItems* list = nullptr;
    size_t position = 0;
    if (bar == nullptr || !FindItem(bar, commandId, &list, &position))
        return nullptr;
    return &(*list)[position];
}

/* The popup of the bar that holds the item, and the item's place there. */
bool FindInPopups(MenuItems* bar, int commandId, MenuItems** popup, size_t* position) {
    for (SimMenuItem& entry : *bar) {
        for (size_t i = 0; i < entry.items.size(); i++) {
            if (commandId != 0 && entry.items[i].id == commandId) {
                *popup = &entry.items;
                *position = i;
                return true;
            }
        }
    }
    return false;
}

} // namespace

/* ---- Control ---- */

void SimResetMenus(void) {
    menus->clear();
}

void SimGiveWindowMenu(WindowHandle window, int menuId) {
    MenuItems bar;
    if (menuId != 0 && SimReadMenu(menuId, &bar))
        (*menus)[window] = bar;
}

bool SimMenuItemExists(WindowHandle window, int commandId) {
    return ItemOf(window, commandId) != nullptr;
}

bool SimMenuItemEnabled(WindowHandle window, int commandId) {
    const SimMenuItem* item = ItemOf(window, commandId);
    return item != nullptr && item->enabled;
}

bool SimMenuItemChecked(WindowHandle window, int commandId) {
    const SimMenuItem* item = ItemOf(window, commandId);
    return item != nullptr && item->checked;
}

std::vector<SimMenuItem> SimMenuPopupItems(WindowHandle window, int index) {
    MenuItems* bar = BarOf(window);
    if (bar == nullptr || index < 0 || index >= (int)bar->size())
        return MenuItems();
    return (*bar)[(size_t)index].items;
}

/* ---- The seam ---- */

void PlatformSetMenuItemEnabled(WindowHandle window, int commandId, bool enabled) {
    SimMenuItem* item = ItemOf(window, commandId);
    if (item != nullptr)
        item->enabled = enabled;
}

void PlatformSetMenuItemChecked(WindowHandle window, int commandId, bool checked) {
    SimMenuItem* item = ItemOf(window, commandId);
    if (item != nullptr)
        item->checked = checked;
}

/* Every item of the simulated menu bar is as wide as "&File" would be. */
int PlatformMenuBarItemWidth(WindowHandle window, int index) {
    MenuItems* bar = BarOf(window);
    return bar != nullptr && index >= 0 && index < (int)bar->size() ? 30 : 0;
}

/* Only the popups of the bar are looked in, as the Windows side looks.
 * A new item is enabled and unchecked, its text shown as it is. */
bool PlatformInsertMenuItemAfter(WindowHandle window, int afterCommandId, int commandId,
                                 const char* text) {
    MenuItems* bar = BarOf(window);
    MenuItems* popup = nullptr;
    size_t position = 0;
    if (bar == nullptr || !FindInPopups(bar, afterCommandId, &popup, &position))
        return false;
    popup->insert(popup->begin() + (long)position + 1,
                  SimMenuItem{commandId, text, true, false, MenuItems()});
    return true;
}

bool PlatformDeleteMenuItem(WindowHandle window, int commandId) {
    MenuItems* bar = BarOf(window);
    MenuItems* list = nullptr;
    size_t position = 0;
    if (bar == nullptr || !FindItem(bar, commandId, &list, &position))
        return false;
    list->erase(list->begin() + (long)position);
    return true;
}
