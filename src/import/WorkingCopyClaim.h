#pragma once

#include <QString>
#include <QStringList>

// Holds the name of a run's working copy for as long as the run lasts, so that two runs of the
// same user at once (the window and the runner, or two runners from a script) never share one.
// The preferred name is taken when no other run holds it; otherwise "upload-2.txt",
// "upload-3.txt", ... beside it. A name is held by an exclusive lock on "<name>.lock", which the
// system drops when the claim ends or its process dies, so a crashed run never keeps a name.
//
// The lock file also records which files at the name this program made, so that a file it
// did not make (the user's own "upload.txt", or one of the files being loaded) is never
// replaced: a name where such a file stands is passed over, as is one whose working copy
// belongs to another user.
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

    // Notes that the file now at path (the working copy or its partial rewrite) was made by
    // this program, so later runs may replace it.
    void recordMade(const QString& path);
    // True when nothing stands at path, or what stands there was made by this program.
    bool mayReplace(const QString& path) const;

    // When input is the file at this claim's name (or its partial rewrite), moves the claim to
    // the next name that can be held, so the input is never replaced.
    void avoid(const QString& input);

    // The n-th name tried for preferredPath: itself for 1, "upload-<n>.txt" after it.
    static QString candidate(const QString& preferredPath, int n);

    static constexpr int MaxCandidates = 1000;

private:
    void claim(const QString& preferredPath, int from, const QStringList& inputs);

    QString m_preferred;
    QString m_path;
    int m_lock = -1;
};
