#pragma once
// Runs the tour's steps one after the other inside the program's own event loop. A step is a
// list of stages: an action (what the host does) and a condition (what the host then sees),
// polled until it holds or its time runs out. Actions run as queued calls, so one that opens a
// modal dialog does not stop the tour: the polls go on inside the dialog's event loop.
//
// After each step the screen is saved as a picture; the first step that fails ends the tour.

#include <QDir>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

#include <cstdio>
#include <functional>

namespace tour {

struct Stage {
    Stage(QString until, std::function<void()> act, std::function<bool()> done, int timeoutMs = 15000,
          std::function<QString()> fails = {})
        : until(std::move(until)), act(std::move(act)), done(std::move(done)), timeoutMs(timeoutMs),
          fails(std::move(fails))
    {
    }
    QString until;             // what must hold, for the failure text ("the main window is shown")
    std::function<void()> act; // may be empty
    std::function<bool()> done;
    int timeoutMs;
    // Polled with `done`: a non-empty text ends the step at once as failed (may be empty).
    std::function<QString()> fails;
    // What was last seen instead, added to the failure text when the time runs out (may be empty).
    std::function<QString()> lastSeen;
};

struct Step {
    QString title;                  // "sign in by phone"
    QString shot;                   // picture name without number and suffix; empty for none
    QList<Stage> stages;
    std::function<QString()> detail; // a line for the summary once the step held
    // The step saves what viewers see beside its screenshot: NN-<shot>-stream.png, written by one
    // of its stages (see TourRunner::streamPicturePath).
    bool streamShot = false;
};

class TourRunner : public QObject
{
    Q_OBJECT
public:
    enum class Outcome { NotRun, Held, Failed };
    struct Result {
        Outcome outcome = Outcome::NotRun;
        qint64 elapsedMs = 0;
        QString text; // the detail or the failure
        QString picture;
        QString streamPicture; // the frame taken from the stream, when the step takes one
    };

    TourRunner(const QDir& shotDir, FILE* progress, QObject* parent = nullptr);

    // Adds a step, its title after the prefix set last; without shots kept the step saves a picture
    // only when it fails.
    void add(Step step)
    {
        step.title.prepend(m_titlePrefix);
        if (!m_keepShots)
            step.shot.clear();
        m_steps << step;
    }
    void setTitlePrefix(const QString& prefix) { m_titlePrefix = prefix; }
    void setKeepShots(bool keep) { m_keepShots = keep; }
    int stepCount() const { return m_steps.size(); }
    // Stops after this many steps (for the start-up benchmark); -1 runs them all.
    void setStepLimit(int count) { m_limit = count; }
    void start();
    // Where the current step's stream frame goes: NN-<shot>-stream.png in the picture folder.
    QString streamPicturePath() const;

    bool allHeld() const;
    // The title of the step running now (empty before the first and after the last).
    QString currentTitle() const;
    // How many steps whose title ends with `suffix` held.
    int heldEndingWith(const QString& suffix) const;
    const QList<Result>& results() const { return m_results; }
    // The summary block: one line per step and where the pictures are.
    void printSummary(FILE* out) const;

signals:
    void finished(bool allHeld);

private:
    void beginStep();
    void beginStage();
    void poll();
    void stepHeld();
    void stepFailed(const QString& why);
    QString saveScreen(const QString& name);
    void finish();
    int lastStep() const;
    void noteStreamPicture();

    QDir m_shotDir;
    FILE* m_progress;
    QList<Step> m_steps;
    QList<Result> m_results;
    int m_limit = -1;
    QString m_titlePrefix;
    bool m_keepShots = true;
    int m_step = 0;
    int m_stage = 0;
    int m_token = 0; // invalidates polls of a stage that has ended
    QElapsedTimer m_stepClock;
    QElapsedTimer m_stageClock;
};

} // namespace tour
