#include <windows.h>
int main(){return 0;}
