#pragma once

#include "Failure.h"
#include "Interaction.h"

#include <exception>
#include <QString>

// The failure report of a guarded procedure: runs the procedure's numbered lines, and when a
// line fails, shows "Application Error" with the description, the location and the line,
// then lets the procedure go on with its next line. The guard stays armed for every line.
class Guard
{
public:
    Guard(Interaction& interaction, QString location)
        : m_interaction(interaction), m_location(std::move(location))
    {
    }

    // Runs a numbered line. Returns false when it failed (and was reported).
    template <typename Body> bool line(int number, Body&& body)
    {
        m_currentLine = number;
        return run(std::forward<Body>(body));
    }

    // Runs a statement without a number of its own: a failure names the last numbered line.
    template <typename Body> bool run(Body&& body)
    {
        try {
            body();
            return true;
        } catch (const Failure& failure) {
            report(failure);
        } catch (const std::exception& other) {
            report(Failure(QString::fromLocal8Bit(other.what())));
        }
        return false;
    }

    // Marks a numbered line as begun without running anything through the guard.
    void setLine(int number) { m_currentLine = number; }

    void report(const Failure& failure);
    // Reports as report() does, in a box offering a check box with this caption; returns
    // whether the user checked it.
    bool reportOffering(const Failure& failure, const QString& checkCaption);

    int currentLine() const { return m_currentLine; }
    // How many failures this guard has reported.
    int failures() const { return m_failures; }
    const QString& location() const { return m_location; }
    Interaction& interaction() const { return m_interaction; }

    static QString composeReport(const QString& description, const QString& location, int line);

private:
    Interaction& m_interaction;
    QString m_location;
    int m_currentLine = 0;
    int m_failures = 0;
};

namespace ProjectTags {
inline const QString Main = QStringLiteral("Quorvane");
inline const QString FolderScan = QStringLiteral("Brimstead");
} // namespace ProjectTags

// The location texts of the guarded procedures: "in " + tag + "2021/08/31." + module + "." +
// procedure + " ".
namespace Locations {
QString make(const QString& tag, const QString& module, const QString& procedure);
inline const QString StartImporting =
    make(ProjectTags::Main, QStringLiteral("Form2"), QStringLiteral("PushButton1_Click"));
inline const QString AddTextFiles =
    make(ProjectTags::Main, QStringLiteral("Form2"), QStringLiteral("PushButton3_Click"));
inline const QString AddAllFilesInFolder =
    make(ProjectTags::Main, QStringLiteral("Form2"), QStringLiteral("PushButton4_Click"));
inline const QString SetupConnection =
    make(ProjectTags::Main, QStringLiteral("Form2"), QStringLiteral("PushButton5_Click"));
inline const QString MainHelp =
    make(ProjectTags::Main, QStringLiteral("Form2"), QStringLiteral("PushButton6_Click"));
inline const QString MainLoad =
    make(ProjectTags::Main, QStringLiteral("Form2"), QStringLiteral("Form_Load"));
inline const QString Next =
    make(ProjectTags::Main, QStringLiteral("Form1"), QStringLiteral("PushButton3_Click"));
inline const QString ConnectionHelp =
    make(ProjectTags::Main, QStringLiteral("Form1"), QStringLiteral("PushButton6_Click"));
inline const QString TestConnection =
    make(ProjectTags::Main, QStringLiteral("Form1"), QStringLiteral("PushButton7_Click"));
inline const QString ConnectionLoad =
    make(ProjectTags::Main, QStringLiteral("Form1"), QStringLiteral("Form_Load"));
inline const QString FolderScan = make(ProjectTags::FolderScan, QStringLiteral("AddFolder"),
                                       QStringLiteral("GetSubDirectories2016"));
} // namespace Locations

// Where failure reports ask to be sent.
inline const QString SupportAddress = QStringLiteral("support@tessaloom.org");
inline const QString ApplicationErrorTitle = QStringLiteral("Application Error");
