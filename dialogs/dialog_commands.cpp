#include "dialogs/dialog_commands.h"

#include <QAction>

#include "app/main_console.h"
#include "base/text_format.h"
#include "dialogs/filter_strings_dialog.h"
#include "dialogs/settings_dialogs.h"

namespace tervane {

void attachDialogCommands(MainConsole& console) {
  ConsoleCommands& c = console.commands();
  StationSettings& settings = console.settings();
  WorkingValues& values = console.shared().values;

  c.tncSettings = [&console, &settings, &values] {
    // Opening the dialog puts the stored interval back into the PC beacon
    // schedule (ending one a satellite pass may have set) and refreshes the
    // beacon flag from the stored choice.
    values.beaconMinutes = leadingNumber(settings.beaconInterval);
    values.tncBeaconFlag = settings.tncBeaconOn == 1;
    TncSettingsDialog dialog(loadTncSettings(settings), &console);
    if (dialog.exec() == QDialog::Accepted) applyTncSettings(dialog.edit(), settings, values);
  };

  c.stationSettings = [&console, &settings, &values] {
    StationDataDialog dialog(loadStationData(settings), &console);
    if (dialog.exec() != QDialog::Accepted) return;
    applyStationData(dialog.edit(), settings, values);
    console.action(QStringLiteral("gpsSetFixed"))->setEnabled(settings.mobile != 0);
    console.showPosition(values.position());
  };

  c.gpsSettings = [&console, &settings] {
    GpsSettingsDialog dialog({settings.gpsPortNumber, settings.gpsType, settings.gpsdHost.str(), settings.gpsdPort},
                             &console);
    if (dialog.exec() != QDialog::Accepted) return;
    const GpsSettingsEdit& edit = dialog.edit();
    settings.gpsPortNumber = edit.portIndex;
    settings.gpsType = edit.typeIndex;
    settings.gpsdHost = edit.gpsdHost;
    settings.gpsdPort = edit.gpsdPort;
  };

  c.editEmailAddresses = [&console, &settings, &values] {
    AddressBookDialog dialog(loadAddressBook(settings), &console);
    dialog.exec();
    applyAddressBook(dialog.edit(), settings, values);
  };

  c.editFilterStrings = [&console, &settings, &values] {
    FilterStringsDialog dialog(values.filterStrings(), &console);
    if (dialog.exec() != QDialog::Accepted) return;
    settings.filterString = dialog.filters();
    values.setFilterStrings(dialog.filters());
  };
}

}  // namespace tervane
