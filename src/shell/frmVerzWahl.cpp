#include "shell/frmVerzWahl.h"

#include "common/Twips.h"
#include "platform/Dialogs.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "shell/FolderChoice.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QStyle>
#include <QStyledItemDelegate>

namespace ds::shell {

using namespace ds::platform;

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;

// The root folder of a drive: "C:" -> "C:\"; a mount point is its own root.
QString driveRoot(const QString& spec) {
    if (spec.size() == 2 && spec[1] == QLatin1Char(':'))
        return spec + pathSeparator();
    return spec;
}

QString joinPath(const QString& folder, const QString& name) {
    return withTrailingSeparator(folder) + name;
}

bool isEnter(QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// Indents each entry by its depth below the drive's root, as a folder tree would.
class IndentDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem o = option;
        o.rect.setLeft(o.rect.left() + index.data(kLevelRole).toInt() * indent(option));
        QStyledItemDelegate::paint(painter, o, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        s.rwidth() += index.data(kLevelRole).toInt() * indent(option);
        return s;
    }

  private:
    static int indent(const QStyleOptionViewItem& option) {
        return option.fontMetrics.horizontalAdvance(QLatin1Char('M'));
    }
};

}  // namespace

FolderListBox::FolderListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { setPath(item->data(kPathRole).toString()); });
}

QString FolderListBox::rootOf(const QString& folder) const {
    QString best;
    const QString f = lowerIfCaseless(folder);
    for (const QString& spec : roots_) {
        const QString root = driveRoot(spec);
        const QString r = lowerIfCaseless(root);
        const bool inside = f == lowerIfCaseless(withoutTrailingSeparator(root)) ||
                            f.startsWith(withTrailingSeparator(r));
        if (inside && root.size() > best.size())
            best = root;
    }
    if (best.isEmpty())
        best = driveRoot(driveOfPath(folder));
    return best;
}

bool FolderListBox::setPath(const QString& folder) {
    if (folder.isEmpty())
        return false;
    // "C:\" stays a root; without its separator it would name the drive's current folder.
    const QString target = folder.size() == 3 && folder[1] == QLatin1Char(':')
                               ? folder
                               : withoutTrailingSeparator(folder);
    const std::optional<std::uint64_t> device = FileSystem::deviceOf(target);
    QStringList subfolders;
    if (!device || !FileSystem::subfolders(target, *device, &subfolders))
        return false;

    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    const QString root = rootOf(target);
    auto add = [&](const QString& text, const QString& path, int level, const QIcon& icon) {
        auto* item = new QListWidgetItem(icon, text, this);
        item->setData(kPathRole, path);
        item->setData(kLevelRole, level);
        return item;
    };
    // The root, the folders on the way down and the current folder, all shown open.
    QString walked = root;
    QListWidgetItem* current = add(root, root, 0, open);
    const QString rest = target.size() > root.size() ? target.mid(root.size()) : QString();
    int level = 0;
    for (const QString& name : rest.split(pathSeparator(), Qt::SkipEmptyParts)) {
        walked = joinPath(walked, name);
        current = add(name, walked, ++level, open);
    }
    for (const QString& name : subfolders)
        add(name, joinPath(target, name), level + 1, closed);
    setCurrentItem(current);
    path_ = target;
    emit pathChanged(path_);
    return true;
}

QString FolderListBox::highlightedPath() const {
    const QListWidgetItem* item = currentItem();
    return item ? item->data(kPathRole).toString() : QString();
}

void FolderListBox::keyPressEvent(QKeyEvent* event) {
    // Enter opens the highlighted folder; it must not reach the dialog's default button.
    if (isEnter(event)) {
        setPath(highlightedPath());
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

frmVerzWahl::frmVerzWahl(QWidget* parent, DriveLister drives, const QString& startFolder)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmVerzWahl"));
    setWindowTitle(QStringLiteral("Ordnerwahl"));
    setMinimumSize(twipsToPixels(QSize(kMinimumTwips, kMinimumTwips)));
    resize(twipsToPixels(QSize(6600, 5400)));

    CtrlLaufwerke = new QComboBox(this);
    CtrlLaufwerke->setObjectName(QStringLiteral("CtrlLaufwerke"));
    CtrlLaufwerke->installEventFilter(this);
    CtrlVerzeichnisse = new FolderListBox(this);
    CtrlVerzeichnisse->setObjectName(QStringLiteral("CtrlVerzeichnisse"));
    CtrlDateien = new QListWidget(this);
    CtrlDateien->setObjectName(QStringLiteral("CtrlDateien"));
    CtrlDateien->setSelectionMode(QAbstractItemView::NoSelection);
    CtrlDateien->setFocusPolicy(Qt::NoFocus);
    const char* captions[] = {"&OK", "&Abbruch"};
    for (int i = 0; i < 2; ++i) {
        BefVerzWahl[i] = new QPushButton(QString::fromUtf8(captions[i]), this);
        BefVerzWahl[i]->setObjectName(QStringLiteral("BefVerzWahl%1").arg(i));
        connect(BefVerzWahl[i], &QPushButton::clicked, this, [this, i] { click(i); });
    }

    // Lists fill the window; the buttons stay at its lower right edge.
    auto* grid = new QGridLayout(this);
    const int gap = twipsToPixels(120);
    grid->setContentsMargins(gap, gap, gap, gap);
    grid->setSpacing(gap);
    grid->addWidget(CtrlLaufwerke, 0, 0);
    grid->addWidget(CtrlVerzeichnisse, 1, 0);
    grid->addWidget(CtrlDateien, 0, 1, 2, 1);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BefVerzWahl[0]);
    buttons->addWidget(BefVerzWahl[1]);
    grid->addLayout(buttons, 2, 0, 1, 2);

    const QList<DriveInfo> list = drives ? drives() : listDrives();
    QStringList roots;
    for (const DriveInfo& d : list) {
        CtrlLaufwerke->addItem(driveListEntry(d), d.spec);
        roots.append(d.spec);
    }
    CtrlVerzeichnisse->setRoots(roots);
    connect(CtrlVerzeichnisse, &FolderListBox::pathChanged, this, &frmVerzWahl::showFiles);
    connect(CtrlLaufwerke, &QComboBox::activated, this, &frmVerzWahl::driveChanged);

    // Start in the given (or current) folder, else at the root of the first drive that opens.
    const QString start = startFolder.isEmpty() ? toNative(QDir::currentPath()) : startFolder;
    bool opened = CtrlVerzeichnisse->setPath(start);
    int drive = opened ? driveIndex(CtrlVerzeichnisse->rootOf(start)) : -1;
    for (int i = 0; !opened && i < list.size(); ++i) {
        opened = CtrlVerzeichnisse->setPath(driveRoot(list[i].spec));
        drive = opened ? i : -1;
    }
    if (drive >= 0) {
        CtrlLaufwerke->setCurrentIndex(drive);
        ctrlLaufwerkeTag = CtrlLaufwerke->itemData(drive).toString();
    }
}

int frmVerzWahl::driveIndex(const QString& spec) const {
    for (int i = 0; i < CtrlLaufwerke->count(); ++i) {
        if (samePath(driveRoot(CtrlLaufwerke->itemData(i).toString()), spec))
            return i;
    }
    return -1;
}

void frmVerzWahl::load() {
    CentreForm(this);
    showMessage(folderChoicePrompt(), Icon::Information, QString(), this);
}

void frmVerzWahl::driveChanged(int index) {
    const QString spec = CtrlLaufwerke->itemData(index).toString();
    if (spec.isEmpty() || !CtrlVerzeichnisse->setPath(driveRoot(spec))) {
        // Not ready or not readable: back to the last good drive, without a word.
        const int previous = driveIndex(driveRoot(ctrlLaufwerkeTag));
        if (previous >= 0)
            CtrlLaufwerke->setCurrentIndex(previous);
        return;
    }
    ctrlLaufwerkeTag = spec;
}

void frmVerzWahl::click(int index) {
    if (index == 0) {
        befVerzWahlTag[0] = CtrlVerzeichnisse->path();
        accept();
        return;
    }
    befVerzWahlTag[index].clear();
    reject();
}

void frmVerzWahl::showFiles(const QString& folder) {
    filesPath_ = folder;
    CtrlDateien->clear();
    QStringList names;
    FileSystem::matchingFiles(folder, QString(), &names);
    CtrlDateien->addItems(names);
}

bool frmVerzWahl::eventFilter(QObject* watched, QEvent* event) {
    // Enter in the drive list takes the highlighted drive instead of closing the window.
    if (watched == CtrlLaufwerke && isEnter(event)) {
        driveChanged(CtrlLaufwerke->currentIndex());
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace ds::shell
