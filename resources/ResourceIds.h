// Identifiers of the resources in Brisklow.rc; shared by the resource script and the program.
// Plain numbers only, so that both the resource compiler and C++ code can include this file.
#ifndef BRISKLOW_RESOURCES_RESOURCEIDS_H
#define BRISKLOW_RESOURCES_RESOURCEIDS_H

// Program icon (16x16 and 32x32); the lowest icon id, so it is also the exe's icon.
#define IDI_BRISKLOW 1

// 16x16 24-bit button pictures; magenta (255,0,255) marks their transparent background.
#define IDB_DIRBUTTON 101     // choose a computer of the network
#define IDB_INFOBUTTON 102    // about the program
#define IDB_GOOGLEBUTTON 103  // search the web for the selected process
#define IDB_STARTBUTTON 104   // list the processes

// Busy animation for an animation control, resource type "AVI":
// Animate_OpenEx(hwnd, GetModuleHandle(NULL), MAKEINTRESOURCE(IDR_BUSY_AVI)).
#define IDR_BUSY_AVI 152

#endif
