#!/usr/bin/env python3
# Regenerates the gfortran oracle for tests/input/fformat_test.cpp:
#   python3 gen_fformat.py            writes fformat_oracle.f90 (not kept) next to it
#   gfortran fformat_oracle.f90 -o o && ./o > out.txt
#   python3 gen_fformat.py out.txt    prints the C++ table rows for the test
# Each case is (format or None for list-directed, [values]). Values: int,
# bool, str (text), ('r', 'x') a REAL(4) literal, ('d', 'x') a REAL(8) one,
# 'inf' / '-inf' / 'nan' REAL(4) specials.
import os, sys

CASES = [
    # integers: width, minimum digits, overflow, sign
    ('(i4)', [5]), ('(i3)', [12345]), ('(i3)', [-99]), ('(i2)', [-99]),
    ('(i3.0,i5.3,i0,i6.6)', [0, -7, -45, 12]), ('(i12)', [-2147483647]),
    # F: rounding of the exact binary value, ties, leading zero, negative zero
    ('(f4.1)', [('r', '0.15')]), ('(f4.1)', [('r', '0.25')]), ('(f5.2)', [('d', '0.125')]),
    ('(f5.2)', [('d', '0.375')]), ('(f5.2)', [('d', '-0.125')]), ('(f6.2)', [('r', '-0.001')]),
    ('(f5.2)', [('r', '-0.0')]), ('(f4.3)', [('r', '0.5')]), ('(f4.3)', [('r', '-0.5')]),
    ('(f3.1,f2.1,f4.1,f2.0,f1.0)', [('r', '-0.04'), ('r', '0.04'), ('r', '-0.04'), ('r', '0.3'), ('r', '0.0')]),
    ('(f5.0,f3.0,f0.2,f0.0)', [('r', '2.5'), ('r', '0.4'), ('r', '3.14159'), ('r', '0.4')]),
    ('(f10.4)', [('r', '3.14159265')]), ('(f10.4)', [('d', '-1234.56789')]),
    ('(f8.3)', [('d', '1d300')]), ('(f6.2)', [('r', '999.995')]), ('(f6.2)', [('d', '999.995')]),
    ('(f12.1)', [('r', '16777217.0')]), ('(f12.3)', [('r', '0.1')]),
    ('(f8.3,f3.1,f4.1,f8.1,f9.3,f2.1)', ['inf', 'nan', '-inf', '-inf', '-inf', 'nan']),
    # E, D, ES, exponent digits
    ('(e12.4)', [('r', '1234.5')]), ('(e10.3e3)', [('r', '1.0e-5')]), ('(d12.4)', [('d', '1d100')]),
    ('(es12.4)', [('r', '0.00125')]), ('(e12.4)', [('d', '1d-100')]), ('(e12.4)', [('r', '0.0')]),
    ('(e9.3,e10.3,es10.3,e12.4e1,e8.1)', [('r', '1.0'), ('r', '-1.0'), ('r', '-1.0'), ('r', '1.0e10'), ('r', '0.0')]),
    ('(e15.7)', [('r', '-9.9999999')]), ('(1x,d12.4)', [('d', '-0.5d0')]),
    # G
    ('(g15.7)', [('r', '0.0')]), ('(g15.7)', [('r', '123.456')]), ('(g15.7)', [('r', '1.0e7')]),
    ('(g15.7)', [('r', '0.05')]), ('(g12.4,g12.4,g12.4,g12.4)', [('r', '0.09996'), ('r', '0.099996'), ('r', '9999.6'), ('r', '999.96')]),
    ('(g10.3,g10.3,i3,g5.0)', [5, True, 7, 'ab']),
    (" (' ***ERROR***',a,'  (',g15.7,',',g15.7,')')", ['Mode', ('r', '7.0'), ('r', '0.0')]),
    # A and L
    ('(a3,a5,a)', ['abcdef', 'ab', 'xyz']), ('(l3,l1)', [True, False]), ('(2x,a3)', ['a']),
    # literals, quotes, Hollerith, blanks inside the format, upper case
    ("(a,\"x\"\"y\",'p''q')", ['v']), ('(5habcde,i3)', [4]),
    ("('cs ''',a8,''' /')", ['sec1']), ("(2F12.3,' /xy')", [('r', '1.5'), ('r', '-2.25')]),
    ("('VERTICES IGNORED (MAXIMUM=',I6,')')", [4000]),
    ("(f8.3,f9.2, 1x,               a6,f5.2,i4)", [('r', '1.0'), ('r', '2.0'), 'name', ('r', '0.5'), 3]),
    ("(' -crop ',I4.4,'X',I4.4,'+0+0 ')", [800, 60]),
    ("('fill',i2.2)", [7]),
    # records: slash, dollar, colon, stop at the first data descriptor without value
    ('(i4,/)', [5]), ("(i4,' to',i4,$)", [5, 6]), ("(i4,' to',i4,$)", [5]), ("(i4,:,' to',i4)", [5]),
    ("(/,' >>warnings',i4,', errors',i3, ' ->check output listing',/)", [2, 0]),
    ("('ncols',i8,/,'nrows',i8,/,'cellsize',f12.4)", [10, 20, ('r', '0.5')]),
    ('(i4)', []), ("('.')", []), ('(a,i4)', ['only']), ("(3x,a,$)", ['prompt']),
    # X and T positioning: trailing X is not written
    ('(a,5x)', ['ab']), ('(a,5x,a)', ['ab', 'c']), ('(10x,a,t3,a,tr2,a,tl4,a)', ['xy', 'ab', 'cd', 'Q']),
    # repeat counts, nested groups, reversion
    ('(2(i4,1x))', [1, 2, 3, 4, 5]), ('(i2,(i3))', [1, 2, 3, 4]), ('(3f6.1)', [('r', '1.0'), ('r', '2.0')]),
    ('(2(i2,1x),3(1x,i1))', [1, 2, 3, 4, 5, 6, 7, 8, 9]), ('(i2,2(i3,(i4)))', [1, 2, 3, 4, 5, 6]),
    ('(i3)', [1, 2, 3]), ("('x',i2)", [1, 2]), ('(2(2(i1),1x))', [1, 2, 3, 4, 5]),
    # mixed kinds through one format
    ('(i6,3f11.3)', [12, ('r', '1.5'), ('d', '-2.0005'), ('r', '1e6')]),
    # list-directed
    (None, [5, -123456789]), (None, [('r', '1.5'), ('r', '1.0e20'), ('r', '1.0e-5'), ('r', '0.1'), ('r', '123456789.0')]),
    (None, [('r', '0.0'), ('r', '-2.5'), ('r', '1.0e9'), ('r', '0.09'), ('r', '-0.0')]),
    (None, [('d', '1.5'), ('d', '1d20'), ('d', '1d-5'), ('d', '0.1'), ('d', '0.0')]),
    (None, [('d', '-1.5d300'), ('d', '0.999999999d0'), ('d', '1d16'), ('d', '1d17')]),
    (None, ['ab', 'cd', 1, 'ef', ('r', '2.5'), True, 'x']), (None, [True, False, 3]),
    (None, ['hydrograph with', 12, ' values, qmax=', ('r', '350.5')]),
    (None, ['warning: label ', 'abc', ' already defined']), (None, []),
    (None, ['inf', '-inf', 'nan', ('r', '1e-40'), ('r', '3.40282347e38')]),
]


def fort(v):
    if isinstance(v, bool):
        return '.true.' if v else '.false.'
    if isinstance(v, int):
        return str(v)
    if v == 'inf':
        return '(1.0/z)'
    if v == '-inf':
        return '(-1.0/z)'
    if v == 'nan':
        return '(z/z)'
    if isinstance(v, str):
        return "'" + v.replace("'", "''") + "'"
    kind, x = v
    if kind == 'r':
        return x
    return x if 'd' in x else x + 'd0'


def cpp(v):
    if isinstance(v, bool):
        return 'true' if v else 'false'
    if isinstance(v, int):
        return str(v)
    if v in ('inf', '-inf', 'nan'):
        return {'inf': 'kInf', '-inf': '-kInf', 'nan': 'kNan'}[v]
    if isinstance(v, str):
        return '"' + v.replace('\\', '\\\\').replace('"', '\\"') + '"'
    kind, x = v
    x = x.replace('d0', '').replace('d', 'e')
    if kind == 'r':
        return 'FArg(' + x + ('f' if ('.' in x or 'e' in x) else '.0f') + ')'
    return 'FArg(' + x + ('' if ('.' in x or 'e' in x) else '.0') + ')'


def cstr(s):
    return '"' + s.replace('\\', '\\\\').replace('"', '\\"').replace('\n', '\\n') + '"'


def write_f90(path):
    with open(path, 'w') as f:
        f.write('! gfortran oracle for tests/input/fformat_test.cpp (generated by\n')
        f.write('! gen_fformat.py, which holds the cases). To regenerate the table:\n')
        f.write('!   python3 gen_fformat.py && gfortran fformat_oracle.f90 -o o\n')
        f.write('!   ./o > out.txt && python3 gen_fformat.py out.txt\n')
        f.write('! and paste the printed rows into oracle_cases(). Each case is\n')
        f.write('! preceded by a line "@@".\n')
        f.write('program fformat_oracle\n  real, volatile :: z = 0.0\n')
        for fmt, vals in CASES:
            f.write("  write(*,'(a)') '@@'\n")
            lst = ', '.join(fort(v) for v in vals)
            if fmt is None:
                f.write('  write(*,*) ' + lst + '\n')
            else:
                f.write('  write(*,"' + fmt.replace('"', '""') + '") ' + lst + '\n')
        f.write("  write(*,'(a)') '@@'\nend program fformat_oracle\n")


def rows(out_path):
    text = open(out_path).read()
    parts = text.split('@@\n')[1:]
    assert len(parts) == len(CASES) + 1, (len(parts), len(CASES))
    for (fmt, vals), exp in zip(CASES, parts):
        args = '{' + ', '.join(cpp(v) for v in vals) + '}'
        if fmt is None:
            print('    {nullptr, %s, %s},' % (args, cstr(exp)))
        else:
            print('    {%s, %s, %s},' % (cstr(fmt), args, cstr(exp)))


if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    if len(sys.argv) > 1:
        rows(sys.argv[1])
    else:
        write_f90(os.path.join(here, 'fformat_oracle.f90'))
