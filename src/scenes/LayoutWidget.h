#pragma once
// One saved scene layout in the scene strip: a 140 x 76 thumbnail that draws one labelled box per
// tile (no pictures), and keeps the layout's records, type, index and use state.
//
// The thumbnail turns the editor's tiles into records whenever it is built or its layout is saved
// again; a rebuild makes new records and leaves those handed out before untouched (the canvas may
// still hold them). Every signal that carries records hands out a copy of the list.
//
// Hovering shows a dimmed mask with the close button and two action buttons: "使用" and "编辑"
// while idle, "全屏" and "取消" while in use (where the mask stays up with the tag "使用中"). The
// strip owns the thumbnails and answers their signals; the thumbnail only changes its own look.

#include "scenes/InfoWidget.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <vector>

class PreviewWidget;
class QLabel;
class QPushButton;

class LayoutWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 140;
    static constexpr int kHeight = 76;

    // The use states.
    enum State { Idle = 0, InUse = 1, IdleOtherInUse = 2 };

    LayoutWidget(QWidget* parent, int type, int index, const std::vector<PreviewWidget*>& tiles,
                 const QString& background);

    // The layout was saved again: new boxes, hover controls and records; the state stays.
    void setPreviewWidgets(const std::vector<PreviewWidget*>& tiles, int type, const QString& background);
    void setState(int state);
    // One box per tile, replacing the previous boxes.
    void createPresetLayout(const std::vector<PreviewWidget*>& tiles);
    // Hides the close and the two action buttons (the layout was put to use).
    void hideButtons();

    int getIndex() const { return m_index; }
    int getType() const { return m_type; }
    int getState() const { return m_state; }
    int getCount() const { return m_count; }
    int getImageNum() const { return m_isImageNum; }
    int getCamNum() const { return m_isCamNum; }
    // A copy of the records, in tile order.
    InfoWidgetVec records() const { return m_records; }

    const QList<QLabel*>& boxes() const { return m_boxes; }
    QLabel* mask() const { return m_mask; }
    QLabel* tag() const { return m_tag; }
    QPushButton* operateButton() const { return m_operateBtn; }
    QPushButton* previewButton() const { return m_previewBtn; }
    QPushButton* closeButton() const { return m_closeBtn; }

signals:
    void full_screen_click(int index, int count, int isImageNum, int isCamNum);
    void preview_click(InfoWidgetVec v, int type, int index, int count, int isImageNum);
    void close_click(int index, int count, int isImageNum);
    void use_scene_click(int index, int count, int isImageNum);
    void cancle_btn_click(int type, int index, int count, int isImageNum);

public slots:
    void on_operate_btn_clicked();
    void on_preview_btn_clicked();
    void on_close_btn_clicked();

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void buildHoverControls();
    void buildRecords(const std::vector<PreviewWidget*>& tiles, const QString& background);
    void showInUseLook();
    void showIdleButtons();
    void showMask();

    int m_type = 0;
    int m_index = 0;
    int m_state = Idle;
    int m_count = 0;
    int m_isImageNum = 0;
    int m_isCamNum = 0;
    InfoWidgetVec m_records;
    QList<QLabel*> m_boxes;
    QLabel* m_mask = nullptr;
    QLabel* m_tag = nullptr;
    QPushButton* m_closeBtn = nullptr;
    QPushButton* m_operateBtn = nullptr;
    QPushButton* m_previewBtn = nullptr;
};
