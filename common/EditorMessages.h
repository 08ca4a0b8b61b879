#pragma once
// The editor's message texts and caption. The editor keeps its own string table (the same ids can
// carry other words than the recorder's) and shows every box under its own caption.

#include "platform/ui/Interaction.h"
#include "platform/ui/Messages.h"
#include "platform/ui/StringTable.h"

inline constexpr char kEditorCaption[] = "Vexal Audio Zuq Editor";
inline constexpr char kEditorStringTablePath[] = ":/strings/editor.tsv";

// The editor's message texts, loaded once from the program's resources.
const platform::StringTable& editorStringTable();
// The editor's message routines: its texts under its caption.
platform::Messages makeEditorMessages(platform::Interaction& interaction);
