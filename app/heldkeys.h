#pragma once

// On an X11 desktop, asks the X server to report a held key as repeated presses and one release,
// at the real release. By default the server sends a release and a press for every repeat, and
// Qt's xcb platform marks such a release as a repeat only when the press behind it has already
// arrived, so a held key would often come up many times. Other platforms mark their repeats
// themselves; there this does nothing.
void ReportHeldKeysReleasedOnce();
