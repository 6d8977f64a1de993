#include "viewer/RecordShow.h"

#include "search/FileTypes.h"

#include <algorithm>
#include <limits>

namespace ds::viewer {

namespace {

class FixedAnswers final : public ViewerPrompts {
  public:
    std::optional<QString> queryPassword(const QString&, const QString&) override {
        passwordRefused = true;
        return std::nullopt;
    }
    std::optional<QString> chooseFromList(const QString&, const QString&,
                                          const QStringList& entries) override {
        tablesOffered = entries;
        tableAsked = true;
        return std::nullopt;
    }
    bool passwordRefused = false;
    bool tableAsked = false;
    QStringList tablesOffered;
};

}  // namespace

int RecordShow::run(const Options& options, QTextStream& out, QTextStream& err) {
    FixedAnswers answers;
    view.attach(&grid, &answers);
    setUpViewGrid(grid);
    view.FilePath = options.file;
    view.ConnectPrefix = search::fileTypeConnect(options.formatIndex);
    view.TableName = options.table;
    view.FormatIndex = std::int16_t(options.formatIndex);
    if (options.password)
        view.PasswordPart = QStringLiteral(";PWD=") + *options.password + QLatin1Char(';');
    const auto record =
        std::int32_t(std::clamp<long long>(options.record, std::numeric_limits<std::int32_t>::min(),
                                           std::numeric_limits<std::int32_t>::max()));

    const bool prepared = view.PrepareView(record);
    view.attach(&grid, nullptr);
    if (answers.tableAsked) {
        err << "datasifter-cli: " << options.file
            << " enthält mehrere Tabellen; --table NAME wählt eine davon:\n";
        for (const QString& t : answers.tablesOffered)
            err << "  " << t << "\n";
        err.flush();
        return 2;
    }
    if (answers.passwordRefused && view.structureFieldCount() == 0) {
        err << "datasifter-cli: " << options.file
            << (options.password ? QStringLiteral(": das Kennwort ist falsch\n")
                                 : QStringLiteral(": die Datenbank ist durch ein Kennwort "
                                                  "geschützt (--password TEXT)\n"));
        err.flush();
        return 2;
    }
    if (!prepared) {
        err << "datasifter-cli: " << options.file << ": keine Tabelle zum Anzeigen\n";
        err.flush();
        return 2;
    }
    if (view.structureFieldCount() == 0 || !view.recordOpened())
        return 2;
    out << gridClipboardText(grid);
    out.flush();
    return 0;
}

}  // namespace ds::viewer
