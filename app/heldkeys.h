#pragma once

// On X11, asks the server to report a held key as repeated presses and one release, at the real
// release. By default it sends a release and a press for each repeat, and Qt's xcb platform marks
// such a release as a repeat only when the press behind it has already arrived, so a held key
// would often come up many times. Other platforms mark their repeats; there this does nothing.
void ReportHeldKeysReleasedOnce();
