#include "HoverRules.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>

void ApplyHandRule(WindowPointer& pointer)
{
    if (!pointer.isBusy())
        pointer.set(Pointer::Custom);
}

void ApplyArrowRule(WindowPointer& pointer)
{
    if (!pointer.isBusy())
        pointer.set(Pointer::Default);
}

namespace {

using Rule = void (*)(WindowPointer&);

// Watches the surface that receives the control's mouse moves.
class HoverRuleFilter : public QObject
{
public:
    HoverRuleFilter(WindowPointer& pointer, Rule rule, QWidget& surface)
        : QObject(&surface), m_pointer(pointer), m_rule(rule)
    {
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::MouseMove)
            return false;
        // A move that a child ignored travels on to its parents; it belongs to the child.
        auto* surface = static_cast<QWidget*>(watched);
        const auto* move = static_cast<QMouseEvent*>(event);
        if (surface->childAt(move->position().toPoint()) == nullptr)
            m_rule(m_pointer);
        return false;
    }

private:
    WindowPointer& m_pointer;
    Rule m_rule;
};

QWidget* moveSurface(QWidget* control)
{
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control))
        return area->viewport();
    return control;
}

void install(WindowPointer& pointer, Rule rule, const QList<QWidget*>& controls)
{
    for (QWidget* control : controls) {
        QWidget* surface = moveSurface(control);
        surface->setMouseTracking(true);
        surface->installEventFilter(new HoverRuleFilter(pointer, rule, *surface));
    }
}

} // namespace

void InstallHandRule(WindowPointer& pointer, const QList<QWidget*>& controls)
{
    install(pointer, &ApplyHandRule, controls);
}

void InstallArrowRule(WindowPointer& pointer, const QList<QWidget*>& controls)
{
    install(pointer, &ApplyArrowRule, controls);
}
