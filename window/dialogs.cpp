#include "dialogs.h"

#include "accessibility.h"
#include "boxspeech.h"

#include <QGridLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSpacerItem>
#include <QTimer>

namespace {

// A box sizes itself to its text, and a window manager cuts a title that is
// wider than that ("Data... 026"). This is the width that shows the whole
// title, in a bold face up to a quarter wider than the box's own, beside a
// title bar's icon and three buttons, each about as wide as the bar is tall
// and not under 24 pixels.
// The box's font is measured, not a bold one: loading another face would
// hold up the name prompt.
int widthForTitle(const QWidget &box, const QString &title)
{
    const QFontMetrics metrics(box.font());
    const int button = qMax(24, metrics.height() + 10);
    return metrics.horizontalAdvance(title) * 5 / 4 + 5 * button;
}

// QMessageBox fixes its own size when it is shown, from its layout's minimum
// size: a strut across the whole layout widens it.
void fitTitle(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid)
        return;
    const QMargins margins = grid->contentsMargins();
    const int strut = widthForTitle(box, box.windowTitle()) - margins.left() - margins.right();
    grid->addItem(new QSpacerItem(strut, 0, QSizePolicy::Fixed, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                  grid->columnCount());
}

// Names and other texts the pupil typed are shown as typed, never as
// markup, in a box wide enough for its title, and heard.
void prepare(QMessageBox &box)
{
    box.setTextFormat(Qt::PlainText);
    fitTitle(box);
    sayBoxOnFocus(box);
}

// Where a screen reader cannot follow the boxes by itself, it hears each
// as it opens: its title, then what it says.
void announce(const QString &title, const QString &text)
{
    accessibility::announce(title + QStringLiteral(". ") + text.simplified());
}

} // namespace

QString QtDialogs::askText(QWidget *parent, const QString &title, const QString &prompt)
{
    QInputDialog box(parent);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setInputMode(QInputDialog::TextInput);
    box.setTextEchoMode(QLineEdit::Normal);
    for (QLabel *label : box.findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    box.setMinimumWidth(widthForTitle(box, title));
    // The box takes the typing as it opens: in a web page Qt gave its focus
    // to OK, and a name typed before a click went to the button.
    if (auto *field = box.findChild<QLineEdit *>())
        QTimer::singleShot(0, field, qOverload<>(&QWidget::setFocus));
    announce(title, prompt);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

void QtDialogs::inform(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
    prepare(box);
    announce(title, text);
    box.exec();
}

bool QtDialogs::askYesNo(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    prepare(box);
    announce(title, text);
    return box.exec() == QMessageBox::Yes;
}
