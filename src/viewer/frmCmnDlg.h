#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ds::viewer {

// The small modal input dialog with two panels: the password query (PanQuery) and the choice
// from a list (PicAuswahlListe). Each question shows one panel; afterwards the window is hidden,
// not destroyed, and serves the next question. Closing it with the close box drops it; the
// question then counts as cancelled and the next one gets a fresh window.
class frmCmnDlg : public QDialog {
    Q_OBJECT
  public:
    // The one dialog, created on first use, owned by the window of owner.
    static frmCmnDlg& instance(QWidget* owner);

    explicit frmCmnDlg(QWidget* parent = nullptr);

    // Password query: the entered text in text; true when the user cancelled (text unchanged).
    // A non-empty text on entry is preset.
    bool ShowQueryDialog(QString& text, const QString& title, const QString& prompt);
    // Choice from LstAuswahl (filled by the caller, emptied here): the chosen entry; *cancelled
    // tells whether the user cancelled.
    QString ShowSelectionList(const QString& title, const QString& heading, bool* cancelled);
    // Sizes the window to one panel, centres it on the screen and shows the panel.
    void ShowPanel(QWidget* panel);

    QWidget* PanQuery = nullptr;
    QLabel* BezQuery = nullptr;
    QLineEdit* TxtQuery = nullptr;
    QLabel* ImgQuery = nullptr;
    QPushButton* BefQuery[2] = {};
    QString befQueryTag[2];

    QWidget* PicAuswahlListe = nullptr;
    QLabel* BezAuswahlListe[2] = {};
    QListWidget* LstAuswahl = nullptr;
    QPushButton* BefAusWahlListe[2] = {};
    QString befAusWahlListeTag[2];

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void queryClicked(int index);
    void selectionClicked(int index);
    void finishQuestion();
    bool unloaded_ = false;
};

}  // namespace ds::viewer
