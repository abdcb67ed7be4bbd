#include "dialogs/dialog_commands.h"

#include <cstdlib>

#include "app/console_shell.h"
#include "base/text_format.h"
#include "dialogs/filter_strings_dialog.h"
#include "dialogs/settings_dialogs.h"
#include "tnc/link_choice.h"

namespace tervane {

void attachDialogCommands(ConsoleShell& console, StationSettings& settings, Coordination& shared) {
  ConsoleCommands& c = console.commands();
  WorkingValues& values = shared.values;

  c.tncSettings = [&console, &settings, &values] {
    // Opening the dialog refreshes the station's own beacon schedule and
    // flag from the stored choice; a satellite pass keeps its own schedule.
    values.beaconMinutes = leadingNumber(settings.beaconInterval);
    values.tncBeaconFlag = settings.tncBeaconOn == 1;
    TncSettingsEdit edit = loadTncSettings(settings);
    if (const char* override = std::getenv(kLinkOverrideVariable)) edit.linkOverride = override;
    TncSettingsDialog dialog(edit, console.dialogParent());
    if (dialog.exec() == QDialog::Accepted) applyTncSettings(dialog.edit(), settings, values);
  };

  c.stationSettings = [&console, &settings, &values] {
    StationDataDialog dialog(loadStationData(settings), console.dialogParent());
    if (dialog.exec() != QDialog::Accepted) return;
    applyStationData(dialog.edit(), settings, values);
    console.setMenuEnabled(MenuItem::GpsSetFixed, settings.mobile != 0);
    console.showPosition(values.position());
  };

  c.gpsSettings = [&console, &settings] {
    GpsSettingsDialog dialog({settings.gpsPortNumber, settings.gpsType, settings.gpsdHost.str(), settings.gpsdPort},
                             console.dialogParent());
    if (dialog.exec() != QDialog::Accepted) return;
    const GpsSettingsEdit& edit = dialog.edit();
    settings.gpsPortNumber = edit.portIndex;
    settings.gpsType = edit.typeIndex;
    settings.gpsdHost = edit.gpsdHost;
    settings.gpsdPort = edit.gpsdPort;
  };

  c.editEmailAddresses = [&console, &settings, &values] {
    AddressBookDialog dialog(loadAddressBook(settings), console.dialogParent());
    dialog.exec();
    applyAddressBook(dialog.edit(), settings, values);
  };

  c.editFilterStrings = [&console, &settings, &values] {
    FilterStringsDialog dialog(values.filterStrings(), console.dialogParent());
    if (dialog.exec() != QDialog::Accepted) return;
    settings.filterString = dialog.filters();
    values.setFilterStrings(dialog.filters());
  };
}

}  // namespace tervane
