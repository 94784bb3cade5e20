// The program of a layer's link check (cmake/Layers.cmake): it calls nothing; linking it with the
// whole archive of one layer is the check. It is built, never run.
int main() { return 0; }
