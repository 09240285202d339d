#pragma once
// The main window's menu as data: every popup and item in display order, with its
// caption (& marks the mnemonic, \t starts the accelerator text), command identifier,
// accelerator, status-bar prompt and the rules that enable and check it.

#include <array>

enum CommandId : int {
    kCmdPing = 32785,
    kCmdEditPsf = 32774,
    kCmdDiagnostics = 32773,
    kCmdAlignment = 32772,
    kCmdPartNumber = 32784,
    kCmdExit = 57665,
    kCmdParityEven = 32791,
    kCmdParityOdd = 32792,
    kCmdParityNone = 32793,
    kCmdSaveOnExit = 32778,
    kCmdHelpIndex = 57666,
    kCmdAbout = 57664,
    kCmdPortSetup = 32900,
    kCmdReport = 32901,
    kCmdLineMonitor = 32902,
    kCmdReconnect = 32903,
};

// kSelectionRemembered also hides the item while it does not hold.
enum class EnableRule {
    kAlways,
    kControllerSelected,
    kSelectedWithPartNumbers,
    kHelpFilePresent,
    kSelectionRemembered,
};
// kPort checks the item whose value is the port index, kParity the one whose value is
// the parity letter, kSaveOnExit the item when the flag is nonzero.
enum class CheckRule { kNever, kPort, kParity, kSaveOnExit };

// The menus: the menu bar and its popups. An item either opens a popup or runs a command.
enum MenuId : int {
    kMenuBar,
    kMenuSkelda,
    kMenuOptions,
    kMenuSerialPort,
    kMenuParity,
    kMenuReport,
    kMenuHelp,
    kMenuView,
};

struct MenuItem {
    MenuId menu;          // the menu that holds the item
    const char* caption;  // nullptr for a separator
    int commandId;        // 0 for a popup or a separator
    MenuId opens;         // the popup this item opens (kMenuBar when it runs a command)
    int functionKey;      // accelerator F1..F12 as 1..12; 0 for none
    const char* prompt;
    EnableRule enable;
    CheckRule check;
    int value;  // port index or parity letter that the item stores and is checked for
    const char* keys = nullptr;  // an accelerator other than a function key, e.g. "Ctrl+L"
};

namespace menu_table_detail {
constexpr MenuItem Popup(MenuId menu, const char* caption, MenuId opens) {
    return {menu, caption, 0, opens, 0, "", EnableRule::kAlways, CheckRule::kNever, 0};
}
constexpr MenuItem Separator(MenuId menu) {
    return {menu, nullptr, 0, kMenuBar, 0, "", EnableRule::kAlways, CheckRule::kNever, 0};
}
constexpr MenuItem Command(MenuId menu, const char* caption, int id, const char* prompt,
                           EnableRule enable = EnableRule::kAlways, int functionKey = 0) {
    return {menu, caption, id, kMenuBar, functionKey, prompt, enable, CheckRule::kNever, 0};
}
constexpr MenuItem Keyed(MenuId menu, const char* caption, int id, const char* prompt,
                         EnableRule enable, const char* keys) {
    return {menu, caption, id, kMenuBar, 0, prompt, enable, CheckRule::kNever, 0, keys};
}
constexpr MenuItem Port(const char* caption, int id, int index, const char* prompt) {
    return {kMenuSerialPort,     caption,          id,   kMenuBar, 0, prompt,
            EnableRule::kAlways, CheckRule::kPort, index};
}
constexpr MenuItem Parity(const char* caption, int id, char letter, const char* prompt) {
    return {kMenuParity,        caption, id, kMenuBar, 0, prompt, EnableRule::kAlways,
            CheckRule::kParity, letter};
}
}  // namespace menu_table_detail

inline constexpr auto kMenuTable = [] {
    using namespace menu_table_detail;
    using E = EnableRule;
    return std::array{
        Popup(kMenuBar, "&SKELDA", kMenuSkelda),
        Command(kMenuSkelda, "&Ping...\tF5", kCmdPing, "Finds all controllers on a network",
                E::kAlways, 5),
        Keyed(kMenuSkelda, "&Reconnect\tCtrl+F5", kCmdReconnect,
              "Asks the controller selected in the last search again, without a new search",
              E::kSelectionRemembered, "Ctrl+F5"),
        Command(kMenuSkelda, "&Edit PSF...\tF6", kCmdEditPsf, "Edit and execute a PSF", E::kAlways,
                6),
        Command(kMenuSkelda, "&Diagnostics...\tF7", kCmdDiagnostics, "Executes Diagnostic Test",
                E::kControllerSelected, 7),
        Command(kMenuSkelda, "&Alignment...\tF8", kCmdAlignment, "Executes the Channel Alignment",
                E::kControllerSelected, 8),
        Separator(kMenuSkelda),
        Command(kMenuSkelda, "Set Part &Number...", kCmdPartNumber,
                "Sets the part number and date code in a controller", E::kSelectedWithPartNumbers),
        Separator(kMenuSkelda),
        Command(kMenuSkelda, "E&xit", kCmdExit, "Quit the application"),
        Popup(kMenuBar, "&Options", kMenuOptions),
        Popup(kMenuOptions, "&Serial Port", kMenuSerialPort),
        Port("COM&1", 32776, 0, "Device is connected to COM1"),
        Port("COM&2", 32777, 1, "Device is connected to COM2"),
        Port("COM&3", 32786, 2, "Device is connected to COM3"),
        Port("COM&4", 32787, 3, "Device is connected to COM4"),
        Port("COM&5", 32797, 4, "Device is connected to COM5"),
        Port("COM&6", 32798, 5, "Device is connected to COM6"),
        Port("COM&7", 32799, 6, "Device is connected to COM7"),
        Port("COM&8", 32801, 7, "Device is connected to COM8"),
        Port("COM&9", 32802, 8, "Device is connected to COM9"),
        Port("COM10", 32803, 9, "Device is connected to COM10"),
        Port("COM11", 32804, 10, "Device is connected to COM11"),
        Port("COM12", 32805, 11, "Device is connected to COM12"),
        Port("COM13", 32806, 12, "Device is connected to COM13"),
        Port("COM14", 32807, 13, "Device is connected to COM14"),
        Port("COM15", 32808, 14, "Device is connected to COM15"),
        Port("COM16", 32809, 15, "Device is connected to COM16"),
        Port("COM17", 32810, 16, "Device is connected to COM17"),
        Port("COM18", 32811, 17, "Device is connected to COM18"),
        Port("COM19", 32812, 18, "Device is connected to COM19"),
        Port("COM20", 32813, 19, "Device is connected to COM20"),
        Port("COM21", 32814, 20, "Device is connected to COM21"),
        Port("COM22", 32815, 21, "Device is connected to COM22"),
        Port("COM23", 32816, 22, "Device is connected to COM23"),
        Port("COM24", 32817, 23, "Device is connected to COM 24"),
        Popup(kMenuOptions, "&Parity", kMenuParity),
        Parity("&Even", kCmdParityEven, 'E', "Device is EVEN Parity"),
        Parity("&Odd", kCmdParityOdd, 'O', "Device is ODD Parity"),
        Parity("&None", kCmdParityNone, 'N', "Device is NO Parity"),
        Command(kMenuOptions, "Serial Port Se&tup...", kCmdPortSetup,
                "Chooses the serial device that a COM port opens"),
        Separator(kMenuOptions),
        MenuItem{kMenuOptions, "Save Settings on E&xit", kCmdSaveOnExit, kMenuBar, 0,
                 "Save Settings when application exits.", EnableRule::kAlways,
                 CheckRule::kSaveOnExit, 0},
        Popup(kMenuBar, "&View", kMenuView),
        Keyed(kMenuView, "&Line Monitor\tCtrl+L", kCmdLineMonitor,
              "Lists every exchange on the line as it happens", E::kAlways, "Ctrl+L"),
        Popup(kMenuBar, "&Report", kMenuReport),
        Command(kMenuReport, "&Commissioning Report...", kCmdReport,
                "Writes or prints what the selected controller is set to", E::kControllerSelected),
        Popup(kMenuBar, "&Help", kMenuHelp),
        Command(kMenuHelp, "&Index", kCmdHelpIndex, "List Help Topics", E::kHelpFilePresent),
        Separator(kMenuHelp),
        Command(kMenuHelp, "&About", kCmdAbout,
                "Display program information, version number and copyright"),
    };
}();
