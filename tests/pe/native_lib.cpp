// A native library that the tests load by a Windows file name ("PeNative.DLL" maps to PeNative.so).
extern "C" int kvPeNativeAnswer() { return 42; }
