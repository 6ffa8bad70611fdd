/* Prints what GLib reads as the user directory named on the command line. */
#include <glib.h>
#include <stdio.h>
#include <string.h>

int main(int argc, char** argv) {
    static const struct {
        const char* name;
        GUserDirectory id;
    } kinds[] = {{"DESKTOP", G_USER_DIRECTORY_DESKTOP},     {"DOCUMENTS", G_USER_DIRECTORY_DOCUMENTS},
                 {"DOWNLOAD", G_USER_DIRECTORY_DOWNLOAD},   {"MUSIC", G_USER_DIRECTORY_MUSIC},
                 {"PICTURES", G_USER_DIRECTORY_PICTURES},   {"PUBLICSHARE", G_USER_DIRECTORY_PUBLIC_SHARE},
                 {"TEMPLATES", G_USER_DIRECTORY_TEMPLATES}, {"VIDEOS", G_USER_DIRECTORY_VIDEOS}};
    if (argc != 2) return 2;
    for (size_t i = 0; i < sizeof kinds / sizeof kinds[0]; ++i) {
        if (strcmp(argv[1], kinds[i].name) == 0) {
            const char* dir = g_get_user_special_dir(kinds[i].id);
            printf("%s", dir != NULL ? dir : "");
            return 0;
        }
    }
    return 2;
}
