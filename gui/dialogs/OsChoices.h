// The server types a user can pick, in the order the dialogs show their
// radio buttons, with the OS type each stands for.
#pragma once

struct OsChoice {
    const char* label;
    int type;
};

inline constexpr OsChoice kOsChoices[] = {
    {"Unix", 1}, {"NT", 3}, {"DOS", 2}, {"NT (Unix Style)", 4}, {"Don't know", 0},
};
