#include "WindowCursor.h"

#include "Failure.h"
#include "PathTests.h"
#include "PointerFile.h"
#include "ProgramFiles.h"

#include <QWidget>

namespace {
constexpr int InvalidPicture = 481;
}

WindowCursor::WindowCursor(WindowPointer& pointer, QWidget& window)
    : m_pointer(pointer), m_window(&window)
{
    m_pointer.setChangeCallback([this](Pointer) { show(); });
    show();
}

WindowCursor::~WindowCursor()
{
    m_pointer.setChangeCallback({});
}

void WindowCursor::loadHandCursor(const QString& programFolder)
{
    const QString path = HandCursorPath(programFolder);
    if (!PathExists(path))
        return;
    std::optional<QCursor> cursor = LoadPointerFile(path);
    if (!cursor)
        throw Failure(QStringLiteral("Invalid picture"), InvalidPicture);
    setHandCursor(std::move(cursor));
    qCInfo(lcProgramFiles).noquote() << "hand pointer loaded from" << path;
}

void WindowCursor::setHandCursor(std::optional<QCursor> cursor)
{
    m_hand = std::move(cursor);
    show();
}

QCursor WindowCursor::cursorFor(Pointer pointerValue) const
{
    switch (pointerValue) {
    case Pointer::Busy:
        return QCursor(Qt::WaitCursor);
    case Pointer::Custom:
        return m_hand ? *m_hand : QCursor(Qt::ArrowCursor);
    default:
        return QCursor(Qt::ArrowCursor);
    }
}

void WindowCursor::show()
{
    if (m_window)
        m_window->setCursor(cursorFor(m_pointer.value()));
}
