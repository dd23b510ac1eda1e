#include "AddTextFiles.h"

#include "ApplicationTitle.h"
#include "Failure.h"
#include "Guard.h"
#include "PathText.h"

#include <QStringList>

namespace {

// The guard of this one handler: a selection too large for the dialog ends the handler with
// its own message; every other failure takes the common report and the handler goes on.
class AddTextFilesGuard
{
public:
    explicit AddTextFilesGuard(Interaction& interaction)
        : m_guard(interaction, Locations::AddTextFiles)
    {
    }

    // False when the line failed; ended() tells whether the handler must stop.
    template <typename Body> bool line(int number, Body&& body)
    {
        m_guard.setLine(number);
        try {
            body();
            return true;
        } catch (const Failure& failure) {
            if (failure.number() == AddTextFilesTexts::SelectionTooLarge) {
                m_ended = true;
                m_guard.interaction().messageBox(AddTextFilesTexts::TooManyFiles,
                                                 MessageStyle::Plain, ApplicationTitle());
            } else {
                m_guard.report(failure);
            }
        } catch (const std::exception& other) {
            m_guard.report(Failure(QString::fromLocal8Bit(other.what())));
        }
        return false;
    }

    bool ended() const { return m_ended; }

private:
    Guard m_guard;
    bool m_ended = false;
};

} // namespace

void AddTextFiles(Interaction& interaction, const AppendStep& append)
{
    AddTextFilesGuard guard(interaction);

    QString result;
    guard.line(100, [&] {
        result =
            interaction.openFileDialog(AddTextFilesTexts::DialogTitle, AddTextFilesTexts::Filter);
    });
    if (guard.ended() || result.isEmpty())
        return;

    QStringList parts;
    guard.line(102, [&] { parts = result.split(QChar(u'\0')); });
    if (guard.ended() || parts.isEmpty())
        return;

    if (parts.size() == 1) {
        guard.line(104, [&] { append(parts.front()); });
        return;
    }

    for (qsizetype i = 1; i < parts.size(); ++i) {
        guard.line(106, [&] { append(CleanPath(parts.front() + NativeSeparator + parts.at(i))); });
        if (guard.ended())
            return;
    }
}
