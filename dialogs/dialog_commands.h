#pragma once
// Connects the settings, address book and filter strings dialogs to the main
// console's menu: each command runs its dialog on a copy and, when confirmed,
// stores the result into the settings record and the working values.

namespace tervane {

class ConsoleShell;
struct Coordination;
struct StationSettings;

void attachDialogCommands(ConsoleShell& console, StationSettings& settings, Coordination& shared);

}  // namespace tervane
