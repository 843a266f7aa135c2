// Forward declarations of the toolkit-neutral window classes, for code that only passes
// windows along (report objects take their parent window this way).
#pragma once

class TWindow;
class TDialog;
