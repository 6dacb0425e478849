#pragma once
// The layout editor: the host picks a preset arrangement, adds and removes tiles (1 to 20), lets
// each tile choose its content, sets a background picture, and saves the layout (or saves and
// uses it). The editor only edits: the scene strip and the main window take the tiles, type,
// background and thumbnail index from the save signals, during the emission.
//
// One editor lives for the whole run, made by the main window without a parent and only hidden
// and shown afterwards. It owns its tiles (children of the tile area), its hint popup and the
// background area's hover cover (a tool window that follows the dialog). Every opening replaces
// the tiles: resetForNew for a new layout, loadScene for a saved one.
//
// The background file chooser belongs to the main window: a press on the empty background area
// asks for it by send_AddBackGroundSig after a short pause, and the main window answers with
// setBackground.

#include "scenes/InfoWidget.h"
#include "scenes/PreviewWidget.h"
#include "widgets/TopBandDrag.h"

#include <QDialog>
#include <QSize>
#include <QString>

#include <vector>

class CustomFrameLabel;
class PopTipDlg;
class QFrame;
class QPushButton;
class QTimer;

namespace Ui
{
class AddSceneDialog;
}

class AddSceneDialog : public QDialog
{
    Q_OBJECT
public:
    // The pause between a press on the empty background area and the request for a file.
    static constexpr int kBackgroundClickMs = 1000;
    static constexpr int kHintMs = 3000;
    static constexpr int kDragBandHeight = 60;

    explicit AddSceneDialog(QWidget* parent = nullptr);
    ~AddSceneDialog() override;

    // Prepares a new layout (isPreview false: the lecture_in_chief preset, no background).
    void resetForNew(bool isPreview, int index);
    // Rebuilds the editor from a saved layout's records and shows it.
    void loadScene(InfoWidgetVec infos, int type, int index, bool isPreview);
    // Shows `path` as the layout's background and keeps it for saving.
    void setBackground(const QString& path);

    // The preset builders; the three offered frames reach theirs through presses on the frames.
    void on_lecture_in_chief_frame_clicked();
    void on_one_for_one_frame_clicked();
    void on_courseware_frame_clicked();
    // Connected to every tile and to the click timer (plain members: the form has no objects of
    // these names to connect them to).
    void on_delOverLayWidget_clicked(int num);
    void on_SelectWidget(PreviewWidget* w);
    void on_TimeOut();

    const std::vector<PreviewWidget*>& tiles() const { return m_tiles; }
    int tileCount() const { return m_count; }
    int type() const { return m_type; }
    bool isPreview() const { return m_isPreview; }
    int index() const { return m_index; }
    QString backgroundPath() const { return m_backgroundPath; }
    bool hasBackground() const { return m_hasBackground; }
    QSize smallTileSize() const { return m_smallTile; }
    PopTipDlg* tipDlg() const { return m_tipDlg; }
    CustomFrameLabel* backgroundOverlay() const { return m_bgOverlay; }
    QTimer* clickTimer() const { return m_clickTimer; }
    QTimer* hintTimer() const { return m_hintTimer; }
    // Tests shorten the pauses.
    void setBackgroundClickInterval(int ms);
    void setHintDuration(int ms);

signals:
    void save_clicked(std::vector<PreviewWidget*> previewVec, int type, bool isPreview, int index,
                      QString strPath);
    void save_and_use_clicked(std::vector<PreviewWidget*> previewVec, int type, bool isPreview, int index,
                              QString strPath);
    void send_AddBackGroundSig();

public slots:
    void on_triple_screen_frame_clicked();
    void on_four_screen_frame_clicked();
    void on_speaker_frame_clicked();
    void on_close_btn_clicked();
    void on_cancel_btn_clicked();
    void on_add_scene_btn_clicked();
    void on_save_btn_clicked();
    void on_save_and_use_btn_clicked();
    // Runs the closing steps for every way the dialog goes away (buttons, Escape, the window).
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildBackgroundOverlay();
    void buildPreset(int type);
    void clearTiles();
    PreviewWidget* addTile(const QRect& rect);
    void showCount();
    void selectPresetFrame(int type);
    void refreshLooks();
    void clearBackground();
    void save(bool use);
    void showHint(const QString& text);
    void placeOverlay();
    QFrame* presetFrame(int type) const;

    Ui::AddSceneDialog* ui;
    std::vector<PreviewWidget*> m_tiles;
    QSize m_smallTile;
    int m_count = 0;
    int m_type = 0;
    int m_index = 0;
    bool m_isPreview = false;
    QString m_backgroundPath;
    bool m_hasBackground = false;
    PopTipDlg* m_tipDlg = nullptr;   // owned, top-level
    QTimer* m_hintTimer = nullptr;   // one for every hint: a later hint restarts it
    QTimer* m_clickTimer = nullptr;
    CustomFrameLabel* m_bgOverlay = nullptr; // child of the background area, a tool window
    QPushButton* m_replaceButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    TopBandDrag m_drag{kDragBandHeight};
};
