#pragma once
// The application's title: the main window's title and the caption of every message box.

constexpr char kAppTitle[] = "TALVEN VARN 2.1 with Blanking";
