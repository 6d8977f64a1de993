#include "viewer/RecordView.h"

#include "common/Val.h"
#include "dbengine/Engine.h"
#include "dbengine/EngineError.h"
#include "platform/Dialogs.h"
#include "platform/Paths.h"
#include "search/FileTypes.h"
#include "search/ShortPath.h"
#include "viewer/ValueText.h"

#include <algorithm>
#include <limits>
#include <memory>

namespace ds::viewer {

namespace {

constexpr int kMaxFieldRowCounter = 255;

QString cannotOpen() {
    return QStringLiteral("Datenbank kann nicht geöffnet werden!\r\n");
}

}  // namespace

QString passwordTitle() {
    return QStringLiteral("Kennwort-Schutz");
}

QString passwordPrompt() {
    return QStringLiteral(
        "Die Datenbank ist durch ein Kennwort geschützt!\r\nBitte geben Sie das Kennwort an:");
}

QString AskPassword(ViewerPrompts& prompts) {
    const std::optional<QString> input = prompts.queryPassword(passwordTitle(), passwordPrompt());
    if (!input || input->isEmpty())
        return {};
    return QStringLiteral(";PWD=") + *input + QLatin1Char(';');
}

struct RecordView::Opened {
    std::unique_ptr<db::Database> database;
    std::unique_ptr<db::Recordset> recordset;
    bool databaseFailed = false;
    QString errorMessage;
};

void RecordView::attach(ViewGrid* grid, ViewerPrompts* prompts, QObject* owner) {
    grid_ = grid;
    prompts_ = prompts;
    owner_ = owner;
}

void RecordView::message(const QString& text) const {
    platform::showMessage(text, platform::Icon::Critical, QString(), owner_);
}

QString RecordView::titleText() const {
    if (TableName.isEmpty())
        return FilePath;
    return FilePath + QStringLiteral(" [") + TableName + QLatin1Char(']');
}

bool RecordView::PrepareView(std::int32_t recordNumber) {
    const QString folder = platform::folderPart(FilePath);
    QString fileName = platform::namePart(FilePath);

    if (search::hasSeveralTables(FormatIndex)) {
        DatabaseName = FilePath;
        if (trimBlanks(TableName).isEmpty()) {
            QStringList tables;
            const int count = ListTables(&tables);
            if (count <= 0)
                return false;
            if (count == 1) {
                TableName = tables.value(0);
            } else {
                const std::optional<QString> chosen =
                    prompts_
                        ? prompts_->chooseFromList(QStringLiteral("Tabellen"), fileName, tables)
                        : std::nullopt;
                if (!chosen || chosen->isEmpty())
                    return false;
                TableName = *chosen;
            }
        }
    } else if (FormatIndex >= 2 && FormatIndex <= 12) {
        // One table per file: the folder is the database, the file the table. Paradox always,
        // others with a blank in the name go by the short 8.3 name where the system has one.
        if (fileName.contains(QLatin1Char(' ')) || search::isParadox(FormatIndex)) {
            const QString full = folder + fileName;
            const QString shortPath = search::ShortPathName(full);
            if (!shortPath.isEmpty() && shortPath.compare(full, Qt::CaseInsensitive) != 0) {
                const QString part = platform::namePart(shortPath);
                if (part.compare(fileName, Qt::CaseInsensitive) != 0)
                    fileName = part;
            }
        }
        DatabaseName = folder;
        TableName = fileName;
    } else {
        DatabaseName = FilePath;
    }

    LoadStructure();
    LoadRecord(recordNumber);
    return true;
}

int RecordView::ListTables(QStringList* tables) {
    if (prompts_)
        prompts_->setBusy(true);
    tables->clear();
    OpenExclusive = true;
    auto done = [&](int count) {
        if (prompts_)
            prompts_->setBusy(false);
        return count;
    };
    for (;;) {
        try {
            db::Workspace workspace;
            std::unique_ptr<db::Database> database =
                workspace.openDatabase(FilePath, OpenExclusive, true, ConnectPrefix + PasswordPart);
            tables->clear();
            int count = 0;
            for (const db::TableDef& def : database->tableDefs()) {
                if (def.attributes != 0)
                    continue;
                tables->append(def.name);
                ++count;
            }
            database.reset();
            return done(std::min(count, int(std::numeric_limits<std::int16_t>::max())));
        } catch (const db::EngineError& e) {
            QString text;
            switch (e.number()) {
                case db::err::NotAPassword:
                    // Every wrong password asks again; cancelling ends without a message.
                    PasswordPart = prompts_ ? AskPassword(*prompts_) : QString();
                    if (!PasswordPart.isEmpty())
                        continue;
                    tables->clear();
                    return done(0);
                case db::err::ExclusiveByOther:
                    if (OpenExclusive) {
                        OpenExclusive = false;
                        continue;
                    }
                    text = cannotOpen() + QLatin1Char('\r') + e.message();
                    break;
                case db::err::FileInUse:
                    text = cannotOpen() + QLatin1Char('\r') + FilePath + QLatin1Char('\r');
                    break;
                case db::err::WrongFormat:
                    text = QStringLiteral(
                        "Es wurde für die gewünschte Datei das falsche Format gewählt!");
                    break;
                default:
                    text =
                        cannotOpen() + e.message() + QLatin1Char(' ') + QString::number(e.number());
                    break;
            }
            tables->clear();
            message(text);
            return done(0);
        }
    }
}

bool RecordView::openForReading(bool askPassword, Opened* out) {
    for (;;) {
        out->recordset.reset();
        out->database.reset();
        out->databaseFailed = false;
        out->errorMessage.clear();
        db::Workspace workspace;
        try {
            out->database = workspace.openDatabase(DatabaseName, OpenExclusive, true,
                                                   ConnectPrefix + PasswordPart);
        } catch (const db::EngineError& e) {
            out->databaseFailed = true;
            out->errorMessage = e.message();
            if (askPassword && e.number() == db::err::NotAPassword && prompts_) {
                PasswordPart = AskPassword(*prompts_);
                if (!PasswordPart.isEmpty())
                    continue;
            }
            return false;
        }
        try {
            out->recordset = out->database->openRecordset(TableName);
        } catch (const db::EngineError& e) {
            // A table protected on its own (Paradox) asks here like a protected database.
            out->errorMessage = e.message();
            out->database.reset();
            if (askPassword && e.number() == db::err::NotAPassword && prompts_) {
                PasswordPart = AskPassword(*prompts_);
                if (!PasswordPart.isEmpty())
                    continue;
                out->databaseFailed = true;
            }
            return false;
        }
        return true;
    }
}

void RecordView::AddStructureRow() {
    if (FieldRowCounter >= kMaxFieldRowCounter)
        return;  // later fields overwrite the last row
    ++FieldRowCounter;
    if (grid_)
        grid_->setRows(grid_->rowCount() + 1);
}

void RecordView::LoadStructure() {
    FieldRowCounter = 0;
    structureFields_ = 0;
    recordOpened_ = false;
    Opened opened;
    if (!openForReading(true, &opened)) {
        if (opened.databaseFailed)
            message(opened.errorMessage);
        else
            message(QStringLiteral("Die Datei liegt nicht im vorgeschlagenen Format vor!"));
        return;
    }
    const int fields = opened.recordset->fieldCount();
    for (int i = 0; i < fields; ++i) {
        if (i > 0)
            AddStructureRow();
        const db::FieldInfo& info = opened.recordset->fieldInfo(i);
        const int row = FieldRowCounter + 1;
        if (grid_) {
            grid_->setCell(row, 0, QString::number(row));
            grid_->setCell(row, 1, info.name);
            grid_->setCell(row, 2, typeName(info.type));
            grid_->setCell(row, 3, QString::number(info.size));
        }
    }
    structureFields_ = fields;
}

void RecordView::LoadRecord(std::int32_t recordNumber) {
    if (structureFields_ <= 0)
        return;
    std::int64_t count = 0;
    Opened opened;
    recordOpened_ = openForReading(false, &opened);
    if (!recordOpened_) {
        message(opened.errorMessage);
    } else {
        db::Recordset& rs = *opened.recordset;
        // Failing steps are skipped, as everywhere in the viewer.
        try {
            rs.moveLast();
        } catch (const db::EngineError&) {
        }
        try {
            count = rs.recordCount();
        } catch (const db::EngineError&) {
        }
        try {
            rs.moveFirst();
        } catch (const db::EngineError&) {
        }
        db::Workspace().idle();
        for (std::int64_t k = 1; k < recordNumber && !rs.eof(); ++k) {
            try {
                rs.moveNext();
            } catch (const db::EngineError&) {
                break;
            }
        }
        const int fields = rs.fieldCount();
        for (int i = 0; i < fields && grid_; ++i) {
            QString text;
            try {
                if (!rs.eof())
                    text = valueText(rs.value(i), rs.fieldInfo(i).type);
            } catch (const db::EngineError&) {
                text.clear();
            }
            // Beyond the grid's last row the value lands in that row, as the structure's last
            // field does.
            const int row = std::min(i + 1, grid_->rowCount() - 1);
            grid_->setCell(row, 4, text);
        }
    }
    CurrentRecord = recordNumber;
    RecordTotal =
        std::int32_t(std::clamp<std::int64_t>(count, 0, std::numeric_limits<std::int32_t>::max()));
}

std::optional<std::int32_t> RecordView::navigationTarget(int buttonIndex) {
    std::int64_t n = 0;
    switch (buttonIndex) {
        case 2:
            n = std::int64_t(CurrentRecord) - 1;
            break;
        case 3:
            n = std::int64_t(CurrentRecord) + 1;
            break;
        case 4: {
            const std::optional<QString> answer = platform::Dialogs::current().inputBox(
                owner_,
                QStringLiteral("Bitte geben Sie die gewünschte Position / Nummer des "
                               "Datensatzes, der eingesehen werden soll, ein:"),
                QStringLiteral("Gehezu..."), QString::number(RecordTotal));
            n = answer ? valInt(*answer) : 0;
            if (n == 0)
                return std::nullopt;
            break;
        }
        default:
            return std::nullopt;
    }
    if (n > RecordTotal)
        n = RecordTotal;
    if (n < 1)
        n = 1;
    return std::int32_t(n);
}

void RecordView::Navigate(int buttonIndex) {
    if (const std::optional<std::int32_t> n = navigationTarget(buttonIndex))
        LoadRecord(*n);
}

}  // namespace ds::viewer
