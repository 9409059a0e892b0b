#pragma once
#include <string>

#include <QString>

#include "model/editor_state.h"
#include "presets/settings_file.h"

class QPushButton;

namespace velmora {

struct Editor;

// Every preset button shows "-"; the information label gets the button-face colour.
void clearPresets(Editor &editor);
// Writes the preset button texts of the state into the twelve buttons.
void showPresetButtons(Editor &editor);
// Reads a settings or plug-in file into the preset table and the buttons; a
// plug-in whose presets were taken shows its title in the information label.
void loadSettingsFile(Editor &editor, const QString &path, SettingsMode mode);
// Searches velmora.ini in the program directory for the identified firmware.
void searchSettings(Editor &editor);
// Puts a preset into effect: view offset, format (with a re-read), then flags.
void applyPreset(Editor &editor, const Preset &preset);

// The click of any preset button: applies its preset, then re-reads with the new flags.
void bt1Click(Editor &editor, const QPushButton *button);
// The folder the plug-in dialog starts in: "plugins" in the program directory.
QString pluginFolder(const Editor &editor);
// File > Plugins > Load.
void PLoadClick(Editor &editor);

} // namespace velmora
