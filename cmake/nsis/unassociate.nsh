; Removes the file associations, leaving an extension alone when another program has taken it.
ReadRegStr $0 SHCTX "Software\Classes\.dl" ""
StrCmp $0 "Brenmor.Quillon.Datalog" 0 +2
DeleteRegKey SHCTX "Software\Classes\.dl"
ReadRegStr $0 SHCTX "Software\Classes\.dlz" ""
StrCmp $0 "Brenmor.Quillon.Datalog" 0 +2
DeleteRegKey SHCTX "Software\Classes\.dlz"
DeleteRegKey SHCTX "Software\Classes\Brenmor.Quillon.Datalog"
System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
