/* Another program that holds a port, as a terminal program would: opens \\.\COMn (the argument)
   exclusively, says "held" on standard output, and keeps it until its standard input ends. */
#include <stdio.h>
#include <windows.h>

int main(int argc, char **argv)
{
    char path[64];
    if (argc != 2)
        return 64;
    snprintf(path, sizeof path, "\\\\.\\%s", argv[1]);
    HANDLE port = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (port == INVALID_HANDLE_VALUE) {
        printf("not held: error %lu\n", GetLastError());
        return 1;
    }
    printf("held\n");
    fflush(stdout);
    while (getchar() != EOF) {
    }
    CloseHandle(port);
    return 0;
}
