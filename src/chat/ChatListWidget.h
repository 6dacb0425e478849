#pragma once
// The chat list: a LazyRowList of message rows (ChatItemWidget), each made only where it is seen.
// A message row never made is guessed one line high until a row of its shape was made.

#include "chat/LazyRowList.h"

class ChatListWidget : public LazyRowList
{
    Q_OBJECT
public:
    explicit ChatListWidget(QWidget* parent = nullptr) : LazyRowList(parent) { setFirstGuess(QSize(0, 76)); }
};
