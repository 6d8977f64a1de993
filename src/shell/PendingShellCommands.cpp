// Commands whose units have not landed yet: the plainest working behaviour.
#include "shell/ShellCommands.h"

#include "common/Twips.h"
#include "platform/Dialogs.h"
#include "results/frmTabelle.h"
#include "shell/frmFunktionen.h"
#include "shell/frmSifter.h"

namespace ds::shell {

void OpenDocumentation(frmSifter&) {}
void ShowSystemInfo(frmSifter&) {}

void ComposeBackground(frmSifter& main) {
    main.mdi->setBackground(colourFromNumber(main.backgroundColour()));
}

QString ChooseFolder(QWidget* owner) {
    return platform::Dialogs::current().browseForFolder(
        owner, QStringLiteral("Wählen Sie bitte einen Ordner aus und aktivieren Sie dann die "
                              "'OK'-Schaltfläche..."));
}

}  // namespace ds::shell
