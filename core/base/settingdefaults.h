#pragma once
// Every default of the settings store in one table: the rows of a new
// database, the values of the two resets, what the store writes at start and
// what a missing value reads as.

#include <QString>
#include <QVariant>

namespace pryx::settings {

struct Default {
    const char *key;
    // The row of a new database, written as its statement stores it: a bare
    // integer or a quoted text. nullptr: no row.
    const char *newRow;
    // Position in resetDefault (from 1) and the value it stores; digits are
    // stored as an integer. 0: the reset leaves the key alone.
    int resetAt;
    const char *reset;
    // The value of resetHootKey; nullptr: not touched.
    const char *hotkeyReset;
    // Stored by the store's start when the key has no value.
    const char *atStart;
    // A missing value reads as false rather than null.
    bool falseWhenMissing;
};

// New-database rows first, in the order they are written.
inline constexpr Default kDefaults[] = {
    // key                      new row                  reset  value                          hotkey reset                  at start  false
    {"fragmentScreen",          "1",                      1, "1",                            nullptr,                      nullptr, false},
    {"quickFragmentScreen",     "1",                      2, "1",                            nullptr,                      nullptr, false},
    {"snapshotFull",            "1",                      3, "1",                            nullptr,                      nullptr, false},
    {"sendScreen",              "1",                      4, "1",                            nullptr,                      nullptr, false},
    {"show_upload",             "1",                      5, "1",                            nullptr,                      nullptr, false},
    {"show_last_upload",        "1",                      6, "1",                            nullptr,                      nullptr, false},
    {"useProxy",                "0",                      7, "0",                            nullptr,                      nullptr, false},
    {"qualityImage",            "1",                      8, "1",                            nullptr,                      nullptr, false},
    {"useSaveScreen",           "0",                     10, "0",                            nullptr,                      nullptr, false},
    {"saveScreenFolder",        "''",                     0, nullptr,                        nullptr,                      nullptr, false},
    {"widthColorLine",          "'2'",                    0, nullptr,                        nullptr,                      nullptr, false},
    {"widthTextLine",           "'6'",                    0, nullptr,                        nullptr,                      nullptr, false},
    {"widthBlureLine",          "'9'",                    0, nullptr,                        nullptr,                      nullptr, false},
    {"widthBlackoutLine",       "'9'",                    0, nullptr,                        nullptr,                      nullptr, false},
    {"visibleColorPanel",       "'1'",                   11, "1",                            nullptr,                      nullptr, false},
    {"showActiveWindow",        "'1'",                    0, nullptr,                        nullptr,                      nullptr, false},
    {"showCloseSurfaceWindow",  "'1'",                   13, "1",                            nullptr,                      nullptr, false},
    {"colorColorLine",          "'7'",                   14, "7",                            nullptr,                      nullptr, false},
    {"autostart",               "'1'",                    9, "1",                            nullptr,                      nullptr, false},
    {"keyFragmentScreen",       "'Ctrl + Print'",        15, "Print Screen",                 "Ctrl + Print Screen",        nullptr, false},
    {"keyQuickFragmentScreen",  "'Shift + Print'",       16, "Shift + Print Screen",         "Shift + Print Screen",       nullptr, false},
    {"keySnapshotScreen",       "'Ctrl + Shift + Print'", 17, "Ctrl + Shift + Print Screen", "Ctrl + Shift + Print Screen", nullptr, false},
    {"keySendScreen",           "'Ctrl + Enter'",         0, nullptr,                        nullptr,                      nullptr, false},
    {"showMagnifier",           nullptr,                 12, "1",                            nullptr,                      nullptr, true},
    {"shortLink",               nullptr,                  0, nullptr,                        nullptr,                      nullptr, true},
    {"type_upload",             nullptr,                  0, nullptr,                        nullptr,                      "pryx",  false},
};

// The entry of a key; nullptr when it has no default.
const Default *defaultOf(const QString &key);
// The value resetDefault stores: an integer for digits, else the text.
QVariant resetValue(const Default &entry);

// The value of the key's new-database row as the file gives it back (text);
// null when a new database has no row for it.
QVariant newRowValue(const Default &entry);

// A stored flag as the store reads it: empty, "0" and "false" (in any case)
// are false, anything else is true (numbers come back from the database as
// text).
bool isOn(const QVariant &value);

} // namespace pryx::settings
