#include "platform/QtDialogs.h"

#include "common/AppInfo.h"
#include "common/Twips.h"
#include "platform/Paths.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace ds::platform {

namespace {

QWidget* ownerWidget(QObject* owner) {
    if (auto* w = qobject_cast<QWidget*>(owner))
        return w;
    return QApplication::activeWindow();
}

}  // namespace

int QtDialogs::message(QObject* owner, const QString& text, Icon icon, Buttons buttons,
                       const QString& title) {
    QMessageBox box(ownerWidget(owner));
    box.setWindowTitle(title.isEmpty() ? programTitle() : title);
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    switch (icon) {
        case Icon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
        case Icon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case Icon::Exclamation:
            box.setIcon(QMessageBox::Warning);
            break;
        case Icon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case Icon::None:
            break;
    }
    if (buttons == Buttons::YesNo) {
        QPushButton* yes = box.addButton(QStringLiteral("&Ja"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("&Nein"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? AnswerYes : AnswerNo;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return AnswerOk;
}

std::optional<QString> QtDialogs::inputBox(QObject* owner, const QString& prompt,
                                           const QString& title, const QString& preset) {
    QInputDialog dialog(ownerWidget(owner));
    dialog.setWindowTitle(title.isEmpty() ? programTitle() : title);
    dialog.setLabelText(prompt);
    dialog.setTextValue(preset);
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Abbrechen"));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

std::optional<int> QtDialogs::chooseColour(QObject* owner, int initialColour) {
    // Sixteen white custom colours, not remembered from one use to the next.
    for (int i = 0; i < QColorDialog::customCount(); ++i)
        QColorDialog::setCustomColor(i, Qt::white);
    QColorDialog dialog(colourFromNumber(initialColour), ownerWidget(owner));
    dialog.setOption(QColorDialog::DontUseNativeDialog, false);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return numberFromColour(dialog.selectedColor());
}

QString QtDialogs::browseForFolder(QObject* owner, const QString& title) {
    const QString folder = QFileDialog::getExistingDirectory(ownerWidget(owner), title, QString(),
                                                             QFileDialog::ShowDirsOnly);
    return folder.isEmpty() ? QString() : toNative(folder);
}

QString QtDialogs::saveFileName(QObject* owner, const QString& title, const QString& folder,
                                const QString& fileName, const QString& filter,
                                const QString& defaultExtension) {
    QFileDialog dialog(ownerWidget(owner), title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // "Textdatei (*.TXT)": names on this file system have case, so offer both spellings.
    QString caseless = filter;
    const qsizetype open = filter.indexOf(QLatin1Char('(')),
                    close = filter.lastIndexOf(QLatin1Char(')'));
    if (open >= 0 && close > open) {
        const QString patterns = filter.mid(open + 1, close - open - 1);
        QStringList both;
        for (const QString& p : patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            both << p.toLower() << p.toUpper();
        both.removeDuplicates();
        caseless = filter.left(open + 1) + both.join(QLatin1Char(' ')) + filter.mid(close);
    }
    dialog.setNameFilters({caseless, QStringLiteral("Alle Dateien (*)")});
    QString ext = defaultExtension;
    if (ext.startsWith(QLatin1Char('.')))
        ext.remove(0, 1);
    dialog.setDefaultSuffix(ext);
    if (!folder.isEmpty())
        dialog.setDirectory(fromNative(folder));
    if (!fileName.isEmpty())
        dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return toNative(dialog.selectedFiles().first());
}

}  // namespace ds::platform
