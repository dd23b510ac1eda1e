#pragma once

#include "WindowPointer.h"

#include <QList>

class QWidget;

// The two hover rules. A mouse move never changes a busy pointer.
void ApplyHandRule(WindowPointer& pointer);  // Custom unless busy
void ApplyArrowRule(WindowPointer& pointer); // Default unless busy

// Runs the rule on every mouse move over each control itself (over a list, its item area),
// and turns mouse tracking on for it. Moves over a child control that has no rule of its own
// leave the pointer as it was. The pointer must outlive the controls.
void InstallHandRule(WindowPointer& pointer, const QList<QWidget*>& controls);
void InstallArrowRule(WindowPointer& pointer, const QList<QWidget*>& controls);
