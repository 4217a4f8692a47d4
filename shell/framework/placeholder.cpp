// The framework's Qt classes join this library here.
