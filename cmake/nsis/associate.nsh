; The .dl and .dlz file associations: each extension points at one file type that opens the
; viewer and shows the program's icon. SHCTX is the machine's or the user's classes, as the
; installer runs for all users or one.
WriteRegStr SHCTX "Software\Classes\Brenmor.Quillon.Datalog" "" "Brenmor Quillon Datalog"
WriteRegStr SHCTX "Software\Classes\Brenmor.Quillon.Datalog\DefaultIcon" "" "$INSTDIR\bin\quillon-viewer.ico"
WriteRegStr SHCTX "Software\Classes\Brenmor.Quillon.Datalog\shell\open\command" "" '"$INSTDIR\bin\quillon-viewer.exe" "%1"'
WriteRegStr SHCTX "Software\Classes\.dl" "" "Brenmor.Quillon.Datalog"
WriteRegStr SHCTX "Software\Classes\.dlz" "" "Brenmor.Quillon.Datalog"
System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
