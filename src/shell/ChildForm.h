#pragma once

#include <QString>
#include <QWidget>

class QMdiSubWindow;

namespace ds::shell {

// A child window of the main window. Its position and size are read and set in twips of the
// main window's client area, as the window arrangement works with them; the size is the outer
// size including the frame, fixed at its design value.
class ChildForm : public QWidget {
    Q_OBJECT
  public:
    ChildForm(const QString& caption, QSize designSizeTwips, QWidget* parent = nullptr);

    void attach(QMdiSubWindow* subWindow) { sub_ = subWindow; }
    QMdiSubWindow* subWindow() const { return sub_; }

    int leftTwips() const;
    int topTwips() const;
    int widthTwips() const;
    int heightTwips() const;
    void moveTwips(int left, int top);

    // Show modeless and bring to the front; hide.
    void showForm();
    void hideForm();
    bool isFormVisible() const;
    void setFormEnabled(bool enabled);

    QSize designSizeTwips() const { return designSize_; }

  private:
    QSize designSize_;
    QMdiSubWindow* sub_ = nullptr;
};

}  // namespace ds::shell
