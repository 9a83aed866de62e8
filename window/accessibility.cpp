#include "accessibility.h"

#include "announcer.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QLabel>
#include <QShortcut>

namespace accessibility {

namespace {

QAccessibleInterface *stillFactory(const QString &, QObject *object);

// What the window's controls are to a screen reader beyond Qt's own view of
// them; an entry goes with its control.
struct Registry
{
    Registry() { QAccessible::installFactory(stillFactory); }

    void remember(QWidget *widget)
    {
        if (roles.contains(widget) || stills.contains(widget))
            return;
        QObject::connect(widget, &QObject::destroyed, [widget] {
            Registry &registry = Registry::instance();
            registry.roles.remove(widget);
            registry.stills.remove(widget);
        });
    }

    static Registry &instance()
    {
        static Registry registry;
        return registry;
    }

    QHash<const QObject *, QString> roles;  // followed labels: what each is
    QHash<const QObject *, QString> stills; // still controls: what each is called
};

class StillAccessible : public QAccessibleWidget
{
public:
    explicit StillAccessible(QWidget *widget)
        : QAccessibleWidget(widget, qobject_cast<QLabel *>(widget) ? QAccessible::Graphic : QAccessible::StaticText)
    { }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return Registry::instance().stills.value(widget());
        if (t == QAccessible::Description)
            return QString();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface *stillFactory(const QString &, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    if (widget && Registry::instance().stills.contains(widget))
        return new StillAccessible(widget);
    return nullptr;
}

} // namespace

void describe(QWidget *widget, const QString &name, const QString &hint)
{
    widget->setAccessibleName(name);
    if (!hint.isEmpty()) {
        widget->setToolTip(hint);
        widget->setAccessibleDescription(hint);
    }
}

void follow(QLabel *label, const QString &role, const QString &hint)
{
    describe(label, role, hint);
    Registry &registry = Registry::instance();
    registry.remember(label);
    registry.roles.insert(label, role);
    textChanged(label);
}

void textChanged(QLabel *label)
{
    const QString role = Registry::instance().roles.value(label);
    if (role.isEmpty())
        return;
    const QString text = label->text().simplified();
    const QString name = text.isEmpty() ? role : role + QStringLiteral(": ") + text;
    if (name == label->accessibleName())
        return;
    label->setAccessibleName(name);
    // This Qt does not tell assistive tools of a new name by itself.
    QAccessibleEvent event(label, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void makeStill(QWidget *widget, const QString &name)
{
    Registry &registry = Registry::instance();
    registry.remember(widget);
    registry.stills.insert(widget, name);
    presentAnew(widget); // met by now (a caption, a tooltip), as what it was made as
}

void sayOnFocus(QWidget *widget, const QString &text)
{
    announce(text);
    widget->setAccessibleDescription(text);
    // Met anew: a screen reader takes a focus the control already had in
    // silence, and one that kept the control's last description (Orca 48)
    // would say that one instead.
    if (QAccessible::isActive())
        presentAnew(widget);
}

void announce(const QString &text)
{
    announcer::say(text);
}

void sayOnKey(QLabel *label, const QKeySequence &key)
{
    if (!announcer::heard())
        return;
    new QShortcut(key, label, label, [label] { announce(label->accessibleName()); });
}

void presentAnew(QWidget *widget)
{
    // Made again on the next query, under a new id: a new object to a screen reader.
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(QAccessible::queryAccessibleInterface(widget)));
}

} // namespace accessibility
