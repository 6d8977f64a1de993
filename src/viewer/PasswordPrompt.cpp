#include "viewer/PasswordPrompt.h"

#include "viewer/RecordView.h"
#include "viewer/frmCmnDlg.h"

namespace ds::viewer {

QString AskPassword(QWidget* owner) {
    QString input;
    const bool cancelled =
        frmCmnDlg::instance(owner).ShowQueryDialog(input, passwordTitle(), passwordPrompt());
    if (cancelled || input.isEmpty())
        return {};
    return QStringLiteral(";PWD=") + input + QLatin1Char(';');
}

}  // namespace ds::viewer
