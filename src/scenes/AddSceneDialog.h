#pragma once
// Minimal scene-layout editor (replaced by the full editor).
#include "scenes/PreviewWidget.h"

#include <QDialog>
#include <QString>
#include <vector>

class AddSceneDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddSceneDialog(QWidget* parent = nullptr) : QDialog(parent) {}

signals:
    void save_clicked(std::vector<PreviewWidget*> previewVec, int type, bool isPreview, int index,
                      QString strPath);
    void save_and_use_clicked(std::vector<PreviewWidget*> previewVec, int type, bool isPreview, int index,
                              QString strPath);
    void send_AddBackGroundSig();
};
