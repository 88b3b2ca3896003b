#pragma once
// Connects the host's AutoLISP to the window and the bus: its prompts are
// answered by a click, by a line typed or sent (also typed ahead), or by the
// test interface's AnswerPicks; Escape cancels them. Selection uses the
// entities' drawn boxes, the "htmlfile" clipboard the X11 clipboard.
struct HostState;
class HostWindow;
class AutomationBus;

void connectLispHooks(HostState& state, HostWindow& window, AutomationBus& bus);
