// A DLL the layer test puts beside its program under the name of a library
// it then asks the system-library binder for: the binder must not find it.
extern "C" __declspec(dllexport) int HwPlantedMarker() { return 42; }
