#include "shell/ChildForm.h"

#include "common/Twips.h"

#include <QMdiSubWindow>

namespace ds::shell {

ChildForm::ChildForm(const QString& caption, QSize designSizeTwips, QWidget* parent)
    : QWidget(parent), designSize_(designSizeTwips) {
    setWindowTitle(caption);
}

int ChildForm::leftTwips() const {
    return sub_ ? pixelsToTwips(sub_->x()) : 0;
}
int ChildForm::topTwips() const {
    return sub_ ? pixelsToTwips(sub_->y()) : 0;
}
int ChildForm::widthTwips() const {
    return sub_ ? pixelsToTwips(sub_->width()) : designSize_.width();
}
int ChildForm::heightTwips() const {
    return sub_ ? pixelsToTwips(sub_->height()) : designSize_.height();
}

void ChildForm::moveTwips(int left, int top) {
    if (sub_)
        sub_->move(twipsToPixels(left), twipsToPixels(top));
}

void ChildForm::showForm() {
    if (!sub_)
        return;
    sub_->show();
    sub_->raise();
}

void ChildForm::hideForm() {
    if (sub_)
        sub_->hide();
}

bool ChildForm::isFormVisible() const {
    return sub_ && sub_->isVisible();
}

void ChildForm::setFormEnabled(bool enabled) {
    setEnabled(enabled);
    if (sub_)
        sub_->setEnabled(enabled);
}

}  // namespace ds::shell
