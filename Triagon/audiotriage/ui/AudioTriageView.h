#pragma once

#include "audiotriage/AudioTriagePlan.h"
#include "audiotriage/AudioTriageResult.h"
#include "audiotriage/AudioTriageRule.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QString>

#include <functional>

class AppSettings;
class AudioRulePanel;
class AudioTriageRun;
class ElidedLabel;
class ClipStore;
class QAbstractButton;
class QLabel;
class QProgressBar;
class QPushButton;
class QVBoxLayout;
class SymbolView;

// The "Audio Triage" sheet: measures the loudness of every clip of the
// session (ready, then analyzing), ranks the clips by loudness score and
// tags the loudest and the quietest by percentage or threshold (results).
// Its state lives for one presentation; the main window makes a new sheet
// each time. It closes only through the onDismiss action it was given
// (close button, "Cancel", Escape, "Apply Tags"); while it analyzes nothing
// closes it. The analysis belongs to the store (AudioTriageRun) and goes on
// when the sheet closes.
class AudioTriageView : public QDialog
{
    Q_OBJECT
public:
    enum class Phase { ready, analyzing, results };
    using SelectionMode = AudioTriageRule::SelectionMode;
    static constexpr int sheetWidth = 520;

    AudioTriageView(ClipStore &store, AppSettings &settings, std::function<void()> onDismiss, QWidget *parent = nullptr);
    ~AudioTriageView() override;

    // ---- State ----------------------------------------------------------------
    Phase phase() const { return m_phase; }
    // 1-based number of the clip being analysed, its file name and the
    // number of clips in the run; they keep the last clip's values after it.
    qsizetype currentClipIndex() const { return m_currentClipIndex; }
    const QString &currentClipName() const { return m_currentClipName; }
    qsizetype totalToAnalyze() const { return m_totalToAnalyze; }
    bool didLoadSettings() const { return m_didLoadSettings; }
    const QList<AudioTriageResult> &sortedResults() const { return m_sortedResults; }
    const AudioTriageRule &loudRule() const { return m_loud; }
    const AudioTriageRule &quietRule() const { return m_quiet; }

    // How many results each rule chooses (its panel's count).
    qsizetype loudCount() const { return m_loud.count(m_sortedResults); }
    qsizetype quietCount() const { return m_quiet.count(m_sortedResults); }
    // What "Apply Tags" would hand to the store now; the summary shows it.
    AudioTriagePlan plan() const { return AudioTriagePlan::make(m_loud, m_quiet, m_sortedResults); }

    // ---- Actions --------------------------------------------------------------
    // Copies the rule labels and percentages from the settings, once per
    // sheet (percentages that the settings file holds out of range are used
    // held to the sliders' range; the file is not changed). Done on showing.
    void loadSettingsOnce();
    // The Analyze action: a run over the store's clips as they are now.
    void startAnalysis();
    // The Apply action: tags the chosen clips as one undo step, groups the
    // grid by tag (when it was not grouped), organizes by tag and closes.
    void applyAudioTags();

    // ---- Texts ----------------------------------------------------------------
    static QString analyzeButtonText(qsizetype clipCount);
    static QString headlineText(qsizetype rankedCount);
    static QString taggedText(qsizetype count, const QString &label);
    static QString untouchedText(qsizetype count);
    static QString progressCounterText(qsizetype index, qsizetype total);
    static QString progressValueText(qsizetype index, qsizetype total);

    // ---- Parts ----------------------------------------------------------------
    QAbstractButton *closeButton() const { return m_closeButton; }
    QWidget *readyPage() const { return m_readyPage; }
    QWidget *analyzingPage() const { return m_analyzingPage; }
    QWidget *resultsPage() const { return m_resultsPage; }
    QLabel *clipCountLabel() const { return m_clipCount; }
    QWidget *emptyWarning() const { return m_emptyWarning; }
    QPushButton *readyCancelButton() const { return m_readyCancel; }
    SymbolView *analyzingSymbol() const { return m_analyzingSymbol; }
    QProgressBar *progressBar() const { return m_progress; }
    ElidedLabel *progressNameLabel() const { return m_progressName; }
    QLabel *progressCounterLabel() const { return m_progressCounter; }
    QLabel *headlineLabel() const { return m_headline; }
    // The summary lines; the rules' lines are hidden while a rule is off.
    QLabel *loudSummaryLabel() const { return m_loudSummary; }
    QLabel *quietSummaryLabel() const { return m_quietSummary; }
    QLabel *untouchedSummaryLabel() const { return m_untouchedSummary; }
    QWidget *loudSummaryLine() const { return m_loudSummaryLine; }
    QWidget *quietSummaryLine() const { return m_quietSummaryLine; }
    QPushButton *resultsCancelButton() const { return m_resultsCancel; }
    QPushButton *applyButton() const { return m_apply; }

public Q_SLOTS:
    // Escape and the window's own close: dismisses, except while analyzing.
    void reject() override;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildHeader(QVBoxLayout *frame);
    QWidget *buildReadyPage();
    QWidget *buildAnalyzingPage();
    QWidget *buildResultsPage();
    QWidget *infoRow(const QString &symbol, const QString &markdownText, QWidget *parent);
    QWidget *summaryLine(const QString &symbol, QLabel *&text, QWidget *parent);

    void setPhase(Phase phase);
    void runFinished(const QList<AudioTriageResult> &sortedResults);
    void updateReady();
    void updateProgress();
    void updateResults();
    void updateColors();
    void fitHeight();
    void dismiss();
    QColor themeColor() const;

    ClipStore &m_store;
    AppSettings &m_settings;
    std::function<void()> m_onDismiss;

    Phase m_phase = Phase::ready;
    qsizetype m_currentClipIndex = 0;
    QString m_currentClipName;
    qsizetype m_totalToAnalyze = 0;
    bool m_didLoadSettings = false;
    QList<AudioTriageResult> m_sortedResults;
    AudioTriageRule m_loud = AudioTriageRule::loud();
    AudioTriageRule m_quiet = AudioTriageRule::quiet();
    QPointer<AudioTriageRun> m_run;
    bool m_fitting = false;

    QAbstractButton *m_closeButton = nullptr;
    QWidget *m_readyPage = nullptr;
    QWidget *m_analyzingPage = nullptr;
    QWidget *m_resultsPage = nullptr;
    QLabel *m_clipCount = nullptr;
    QWidget *m_emptyWarning = nullptr;
    QPushButton *m_readyCancel = nullptr;
    QPushButton *m_analyze = nullptr;
    SymbolView *m_analyzingSymbol = nullptr;
    QProgressBar *m_progress = nullptr;
    ElidedLabel *m_progressName = nullptr;
    QLabel *m_progressCounter = nullptr;
    QLabel *m_headline = nullptr;
    AudioRulePanel *m_loudPanel = nullptr;
    AudioRulePanel *m_quietPanel = nullptr;
    QWidget *m_loudSummaryLine = nullptr;
    QWidget *m_quietSummaryLine = nullptr;
    QLabel *m_loudSummary = nullptr;
    QLabel *m_quietSummary = nullptr;
    QLabel *m_untouchedSummary = nullptr;
    QPushButton *m_resultsCancel = nullptr;
    QPushButton *m_apply = nullptr;
};
