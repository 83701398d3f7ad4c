// "&Load" and "&Save": the system's Open and Save dialogs on preset files (*.q4q), with
// the folder remembered in presetFolder and the file name shown in the status line.
#pragma once

#include <string>

#include "host/types/filter_session.h"

namespace rx::ui {

// The file dialogs: true and the full path when the user confirmed. The folder goes into
// presetFolder and the file name into presetName.
bool showSaveDialog(FilterSession& session, const char* title, std::string* path);
bool showOpenDialog(FilterSession& session, const char* title, std::string* path);

// presetFolder from a confirmed full path: the path without its last `nameLength`
// characters (the file name).
void rememberPresetFolder(char* folder, size_t folderSize, const char* path, size_t nameLength);

// The button flows. The caller repaints the status line afterwards; Load also pushes the
// settings into the controls and re-renders, whether the user confirmed or not.
void savePresetFile(FilterSession& session);
void loadPresetFile(FilterSession& session);

}  // namespace rx::ui
