#pragma once
// One peer per kind of control. Each creates its window in its constructor.

#include <windows.h>

#include <memory>

#include "platform/toolkit/Controls.h"
#include "platform/toolkit/win32/NativeControl.h"

namespace tv::toolkit::win32 {

class GifPicture;

// Auto-sized, transparent on its parent, "\r" as a line break.
class LabelPeer : public NativeControl {
public:
    LabelPeer(Label& label, Win32Backend& backend);

protected:
    void applyBounds() override;
    void applyCaption() override;
    void applyFont() override;
    bool paints() const override { return true; }
    void paint(HDC dc) override;
    int focusCueInset() const override { return 0; } // around the text itself
};

// White panels with border and bevel and a centred caption; also the frame of group boxes.
class PanelPeer : public NativeControl {
public:
    PanelPeer(Control& panel, Win32Backend& backend);

protected:
    bool paints() const override { return true; }
    void paint(HDC dc) override;
    int focusCueInset() const override { return 2; } // inside the raised edge
};

class GroupBoxPeer : public NativeControl {
public:
    GroupBoxPeer(GroupBox& box, Win32Backend& backend);

protected:
    bool paints() const override { return true; }
    void paint(HDC dc) override;
};

// Check boxes and radio buttons: the native box only shows the model's state; a click is
// handed to the model, which decides the new state.
class ButtonPeer : public NativeControl {
public:
    ButtonPeer(Control& button, Win32Backend& backend);

protected:
    void applyOther(Property property) override;
    void onCommand(WORD code) override;

private:
    void applyState();
};

// Edit and memo: the window's text is the model's text.
class EditPeer : public NativeControl {
public:
    EditPeer(Control& edit, Win32Backend& backend);

protected:
    void applyCaption() override {}
    void applyOther(Property property) override;
    void onCommand(WORD code) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void applyText();
    void takeWindowText();
    bool echoing_ = false;
};

// Under Wine a progress control repaints on every position it is given, which costs more
// than deleting the file the step stands for. The model's changes are therefore handed to
// the native control when messages are next pumped: nothing can see or paint the control
// before then, so it agrees with the model whenever anyone looks.
class ProgressPeer : public NativeControl {
public:
    ProgressPeer(ProgressBar& bar, Win32Backend& backend);
    ~ProgressPeer() override;
    // Sends what changed since the last flush.
    void flush();

protected:
    void applyCaption() override {}
    void applyOther(Property property) override;

private:
    int sentMin_ = 0, sentMax_ = -1, sentStep_ = -1, sentPosition_ = -1;
};

// Draws a GIF picture of the program's resources at its own size (scaled to the DPI).
class ImagePeer : public NativeControl {
public:
    ImagePeer(Image& image, Win32Backend& backend);

protected:
    void applyOther(Property property) override;
    bool paints() const override { return true; }
    void paint(HDC dc) override;
    void paintInto(HDC dc, POINT at) const override;

private:
    const GifPicture* picture_ = nullptr;
};

std::unique_ptr<NativeControl> makePeer(Control& control, Win32Backend& backend);

} // namespace tv::toolkit::win32
