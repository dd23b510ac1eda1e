#pragma once

#include <QString>

// Holds the name of a run's working copy for as long as the run lasts, so that two runs of the
// same user at once (the window and the runner, or two runners from a script) never share one.
// The preferred name is taken when no other run holds it; otherwise "upload-2.txt",
// "upload-3.txt", ... beside it. A name is held by an exclusive lock on "<name>.lock", which the
// system drops when the claim ends or its process dies, so a crashed run never keeps a name.
// A name whose working copy belongs to another user is passed over.
class WorkingCopyClaim
{
public:
    explicit WorkingCopyClaim(const QString& preferredPath);
    ~WorkingCopyClaim();
    WorkingCopyClaim(const WorkingCopyClaim&) = delete;
    WorkingCopyClaim& operator=(const WorkingCopyClaim&) = delete;

    // The working copy's path for this run. When no name could be held (the folder is missing
    // or not writable), the preferred path, which the copy step then reports.
    const QString& path() const { return m_path; }
    bool held() const { return m_lock >= 0; }

    // The n-th name tried for preferredPath: itself for 1, "upload-<n>.txt" after it.
    static QString candidate(const QString& preferredPath, int n);

    static constexpr int MaxCandidates = 1000;

private:
    QString m_path;
    int m_lock = -1;
};
