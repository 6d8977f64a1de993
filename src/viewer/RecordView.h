#pragma once

#include "viewer/ViewGrid.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace ds::db {
class Database;
class Recordset;
}  // namespace ds::db

namespace ds::viewer {

// The questions the viewer asks while it opens a file: the desktop program answers them with the
// input dialog, the command line and the tests from what they were given.
class ViewerPrompts {
  public:
    virtual ~ViewerPrompts() = default;
    // The query panel in password mode: the entered text, nullopt when the user cancelled.
    virtual std::optional<QString> queryPassword(const QString& title, const QString& prompt) = 0;
    // The selection list over these entries: the chosen one, nullopt when the user cancelled.
    virtual std::optional<QString> chooseFromList(const QString& title, const QString& heading,
                                                  const QStringList& entries) = 0;
    // Hourglass on the viewer while the tables are listed.
    virtual void setBusy(bool /*busy*/) {}
};

// Title and prompt of the password question (the content search asks the same).
QString passwordTitle();
QString passwordPrompt();

// AskPassword: ";PWD=<input>;", or empty when the user cancels or enters nothing.
QString AskPassword(ViewerPrompts& prompts);

// The logic of the record viewer frmViewRecordSet: which database and table a hand-over means,
// opening them read-only (password, table choice, exclusive then shared), the table's structure
// and one record in the grid, and stepping through the records. The fields keep their values
// from one opening to the next (one object for the run); the grid and the prompts are the
// current window's, attached at each opening.
class RecordView {
  public:
    void attach(ViewGrid* grid, ViewerPrompts* prompts, QObject* owner = nullptr);

    // Fields of the viewer.
    QString FilePath;
    QString ConnectPrefix;
    std::int16_t FormatIndex = 0;
    QString DatabaseName;
    QString TableName;
    QString PasswordPart;
    bool OpenExclusive = false;
    std::int16_t FieldRowCounter = 0;
    std::int32_t CurrentRecord = 0;
    std::int32_t RecordTotal = 0;

    // The window title before the table choice: the path, and " [table]" when one was handed over.
    QString titleText() const;

    // Turns the hand-over into database and table name, lists and chooses a table where needed,
    // then loads structure and record. False: the viewer closes without showing.
    bool PrepareView(std::int32_t recordNumber);
    // The ordinary tables of FilePath into *tables; the count, 0 after a failure or a cancelled
    // password (messages as the failure needs).
    int ListTables(QStringList* tables);
    void LoadStructure();
    void LoadRecord(std::int32_t recordNumber);
    void AddStructureRow();

    // The buttons "«" (2), "»" (3) and "?" (4): the record to show next, clamped to 1 ..
    // RecordTotal, or nullopt when nothing happens ("?" cancelled, empty, 0 or not a number).
    std::optional<std::int32_t> navigationTarget(int buttonIndex);
    void Navigate(int buttonIndex);

    // Fields found by the last LoadStructure (0 when its open failed), and whether the last
    // LoadRecord could open the table.
    int structureFieldCount() const { return structureFields_; }
    bool recordOpened() const { return recordOpened_; }

  private:
    struct Opened;
    // Open database and table for reading; asks for the password on 3031 when askPassword.
    bool openForReading(bool askPassword, Opened* out);
    void message(const QString& text) const;

    ViewGrid* grid_ = nullptr;
    ViewerPrompts* prompts_ = nullptr;
    QObject* owner_ = nullptr;
    int structureFields_ = 0;
    bool recordOpened_ = false;
};

}  // namespace ds::viewer
